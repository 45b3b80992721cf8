#pragma once

#include <dlfcn.h>
#include <gtest/gtest.h>

#include <cstdint>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "display/DisplayManager.h"
#include "platform/Clock.h"
#include "platform/DisplayPortRegistry.h"
#include "platform/Sleeper.h"
#include "tests/display/libraries/DisplayServiceRecord.h"
#include "tests/support/FakeDisplayServices.h"

namespace displaytest {

using Timeline = std::vector<std::string>;

// The recording library's record, reached through dlopen as the program
// reaches the library, so both see the same loaded copy.
inline DisplayServiceRecord& libraryRecord() {
  static DisplayServiceRecord* record = reinterpret_cast<DisplayServiceRecord* (*)()>(
      dlsym(dlopen(RECORDING_DISPLAY_SERVICE, RTLD_LAZY), "glimmerboxTestDisplayServiceRecord"))();
  return *record;
}

// Ports with the given service ids; the iterator is a further id. Releases
// and pauses go to the shared timeline. Time passes only by pauses and
// sleeps, at once.
struct FakeDisplayPorts : platform::DisplayPortRegistry, platform::Sleeper, platform::Clock {
  static constexpr std::uint32_t kIterator = 900;
  explicit FakeDisplayPorts(Timeline& timeline) : timeline(timeline) {}

  std::int32_t getMatchingServices(std::uint32_t& iterator) override {
    iterator = kIterator;
    next_ = 0;
    return matchingStatus;
  }
  std::uint32_t iteratorNext(std::uint32_t iterator) override {
    EXPECT_EQ(iterator, kIterator);
    return next_ < services.size() ? services[next_++] : 0;
  }
  void objectRelease(std::uint32_t object) override {
    timeline.push_back(object == kIterator ? "release iterator"
                                           : "release service " + std::to_string(object));
  }
  void sleepMicroseconds(std::uint32_t microseconds) override {
    timeline.push_back("pause " + std::to_string(microseconds));
    std::lock_guard lock(timeMutex);
    time += std::chrono::microseconds(microseconds);
  }
  TimePoint now() override {
    std::lock_guard lock(timeMutex);
    return time;
  }
  void sleepUntil(TimePoint deadline) override {
    std::lock_guard lock(timeMutex);
    time = std::max(time, deadline);
  }
  void advance(std::chrono::milliseconds duration) { sleepUntil(now() + duration); }

  Timeline& timeline;
  std::vector<std::uint32_t> services;
  std::int32_t matchingStatus = 0;
  std::size_t next_ = 0;
  std::mutex timeMutex;
  TimePoint time;
};

using testsupport::FakeScreens;
using testsupport::FakeTransferTables;
using testsupport::FakeUserDefaults;

}  // namespace displaytest

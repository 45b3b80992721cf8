#pragma once

#include <dlfcn.h>

#include <atomic>
#include <chrono>
#include <string>

#include "platform/loop/Clock.h"
#include "platform/loop/Sleeper.h"
#include "tests/display/libraries/DisplayServiceRecord.h"
#include "tests/support/FakeDisplayServices.h"

namespace displaytest {

// The recording library's record, reached through dlopen as the program
// reaches the library, so both see the same loaded copy.
inline DisplayServiceRecord& record() {
  static DisplayServiceRecord* shared = reinterpret_cast<DisplayServiceRecord* (*)()>(
      dlsym(dlopen(RECORDING_DISPLAY_SERVICE, RTLD_LAZY), "glimmerboxTestDisplayServiceRecord"))();
  return *shared;
}

// The listed buses, whose pauses go to the library's timeline. Time passes
// only by pauses and sleeps, at once.
struct FakePorts : testsupport::FakeDdcBuses, platform::Sleeper, platform::Clock {
  void sleepMicroseconds(std::uint32_t microseconds) override {
    record().timeline.push_back("pause " + std::to_string(microseconds));
    sleepUntil(now() + std::chrono::microseconds(microseconds));
  }
  TimePoint now() override { return time.load(); }
  void sleepUntil(TimePoint deadline) override { time = std::max(time.load(), deadline); }

  std::atomic<TimePoint> time{};
};

}  // namespace displaytest

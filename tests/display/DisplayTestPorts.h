#pragma once

#include <dlfcn.h>

#include <atomic>
#include <chrono>
#include <string>
#include <vector>

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

// What a monitor answers a Get VCP Feature request for luminance with: the
// result code, maximum and current value, checksum added.
inline std::vector<std::uint8_t> luminanceReply(std::uint8_t result, std::uint16_t maximum,
                                                std::uint16_t current) {
  std::vector<std::uint8_t> bytes = {0x6E, 0x88, 0x02, result, 0x10, 0x00};
  for (std::uint16_t value : {maximum, current}) {
    bytes.push_back(static_cast<std::uint8_t>(value >> 8));
    bytes.push_back(static_cast<std::uint8_t>(value));
  }
  std::uint8_t checksum = 0x50;
  for (std::uint8_t byte : bytes) checksum ^= byte;
  bytes.push_back(checksum);
  return bytes;
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

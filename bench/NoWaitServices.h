#pragma once

#include <chrono>
#include <cstdint>

#include "platform/loop/Clock.h"
#include "platform/loop/Sleeper.h"

// Services that never block, for benchmarks that measure the work alone.
namespace testsupport {

struct NoPause : platform::Sleeper {
  void sleepMicroseconds(std::uint32_t) override {}
};

// Real time, but no wait for a port's pacing.
struct NoWait : platform::Clock {
  TimePoint now() override { return std::chrono::steady_clock::now(); }
  void sleepUntil(TimePoint) override {}
};

}  // namespace testsupport

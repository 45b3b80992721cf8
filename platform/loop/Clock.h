#pragma once

#include <chrono>

namespace platform {

// Monotonic time for pacing messages; stands in for the steady clock so tests
// need not wait.
class Clock {
 public:
  using TimePoint = std::chrono::steady_clock::time_point;

  virtual ~Clock() = default;
  virtual TimePoint now() = 0;
  // Blocks the calling thread until `deadline`; returns at once when it has
  // passed.
  virtual void sleepUntil(TimePoint deadline) = 0;
};

}  // namespace platform

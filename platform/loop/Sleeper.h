#pragma once

#include <cstdint>

namespace platform {

// Blocks the calling thread; stands in for usleep so tests need not wait.
class Sleeper {
 public:
  virtual ~Sleeper() = default;
  virtual void sleepMicroseconds(std::uint32_t microseconds) = 0;
};

}  // namespace platform

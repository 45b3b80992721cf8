#pragma once

#include "platform/loop/Sleeper.h"

namespace platform {

// Sleeps for real with the C library's usleep.
class UsleepSleeper : public Sleeper {
 public:
  void sleepMicroseconds(std::uint32_t microseconds) override;
};

}  // namespace platform

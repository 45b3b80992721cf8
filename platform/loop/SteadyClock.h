#pragma once

#include "platform/loop/Clock.h"

namespace platform {

// The C++ steady clock, sleeping for real.
class SteadyClock : public Clock {
 public:
  TimePoint now() override;
  void sleepUntil(TimePoint deadline) override;
};

}  // namespace platform

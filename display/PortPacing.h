#pragma once

#include <chrono>
#include <cstdint>
#include <map>
#include <memory>
#include <vector>

#include "platform/loop/Clock.h"

// Keeps each DDC bus's messages far enough apart for its monitor. The
// pause is measured from the end of one message to the start of the next,
// so the monitor always has at least the whole gap.
class PortPacing {
 public:
  // DDC/CI asks hosts to leave a monitor 50 ms after a Set VCP Feature before
  // the next message; monitors sent one sooner refuse it, or acknowledge it
  // and drop it.
  static constexpr std::chrono::milliseconds kMessageGap{50};

  explicit PortPacing(std::shared_ptr<platform::Clock> clock);

  // Waits until every one of `buses` has had the gap since its last message.
  void waitUntilDue(const std::vector<unsigned>& buses);
  // A message to `bus` has just ended.
  void noteMessage(unsigned bus);

 private:
  std::shared_ptr<platform::Clock> clock_;
  std::map<unsigned, platform::Clock::TimePoint> lastMessage_;
};

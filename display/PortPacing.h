#pragma once

#include <chrono>
#include <cstdint>
#include <map>
#include <memory>
#include <vector>

#include "platform/Clock.h"

// Keeps each display port's messages far enough apart for its monitor. The
// pause is measured from the end of one message to the start of the next,
// so the monitor always has at least the whole gap.
class PortPacing {
 public:
  // DDC/CI asks hosts to leave a monitor 50 ms after a Set VCP Feature before
  // the next message; monitors sent one sooner refuse it, or acknowledge it
  // and drop it.
  static constexpr std::chrono::milliseconds kMessageGap{50};

  explicit PortPacing(std::shared_ptr<platform::Clock> clock);

  // Waits until every one of `services` has had the gap since its last message.
  void waitUntilDue(const std::vector<std::uint32_t>& services);
  // A message to `service` has just ended.
  void noteMessage(std::uint32_t service);

 private:
  std::shared_ptr<platform::Clock> clock_;
  std::map<std::uint32_t, platform::Clock::TimePoint> lastMessage_;
};

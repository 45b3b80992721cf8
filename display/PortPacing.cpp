#include "display/PortPacing.h"

PortPacing::PortPacing(std::shared_ptr<platform::Clock> clock) : clock_(std::move(clock)) {}

void PortPacing::waitUntilDue(const std::vector<std::uint32_t>& services) {
  platform::Clock::TimePoint due;
  for (std::uint32_t service : services) {
    if (auto last = lastMessage_.find(service); last != lastMessage_.end()) {
      due = std::max(due, last->second + kMessageGap);
    }
  }
  if (due > clock_->now()) {
    clock_->sleepUntil(due);
  }
}

void PortPacing::noteMessage(std::uint32_t service) { lastMessage_[service] = clock_->now(); }

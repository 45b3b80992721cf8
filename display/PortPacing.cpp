#include "display/PortPacing.h"

PortPacing::PortPacing(std::shared_ptr<platform::Clock> clock) : clock_(std::move(clock)) {}

void PortPacing::waitUntilDue(const std::vector<unsigned>& buses) {
  platform::Clock::TimePoint due;
  for (unsigned bus : buses) {
    if (auto last = lastMessage_.find(bus); last != lastMessage_.end()) {
      due = std::max(due, last->second + kMessageGap);
    }
  }
  if (due > clock_->now()) {
    clock_->sleepUntil(due);
  }
}

void PortPacing::noteMessage(unsigned bus) { lastMessage_[bus] = clock_->now(); }

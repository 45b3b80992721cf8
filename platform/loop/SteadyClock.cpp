#include "platform/loop/SteadyClock.h"

#include <thread>

namespace platform {

Clock::TimePoint SteadyClock::now() { return std::chrono::steady_clock::now(); }

void SteadyClock::sleepUntil(TimePoint deadline) { std::this_thread::sleep_until(deadline); }

}  // namespace platform

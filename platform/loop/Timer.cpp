#include "platform/loop/Timer.h"

#include <QTimer>
#include <algorithm>
#include <set>

namespace loop {

namespace {
// What the run loop holds: every timer that may still fire.
std::set<std::shared_ptr<Timer>>& scheduledTimers() {
  static std::set<std::shared_ptr<Timer>> timers;
  return timers;
}
}  // namespace

struct Timer::Impl {
  QTimer qtimer;
  bool repeats = false;
  bool valid = true;
  Block block;
};

Timer::Timer(std::chrono::duration<double> interval, bool repeats, Block block)
    : impl_(std::make_unique<Impl>()) {
  impl_->repeats = repeats;
  impl_->block = std::move(block);
  // A coarse timer may fire up to 5 % early; the HUD and the poll rely on
  // the interval they asked for.
  impl_->qtimer.setTimerType(Qt::PreciseTimer);
  impl_->qtimer.setSingleShot(!repeats);
  impl_->qtimer.setInterval(std::chrono::duration_cast<std::chrono::milliseconds>(interval));
  QObject::connect(&impl_->qtimer, &QTimer::timeout, [this] { fire(); });
}

Timer::~Timer() = default;

std::shared_ptr<Timer> Timer::scheduled(std::chrono::duration<double> interval, bool repeats,
                                        Block block) {
  std::shared_ptr<Timer> timer(new Timer(interval, repeats, std::move(block)));
  scheduledTimers().insert(timer);
  timer->impl_->qtimer.start();
  return timer;
}

void Timer::fire() {
  std::shared_ptr<Timer> self = shared_from_this();
  if (!impl_->repeats) {
    invalidate();
  }
  // A copy, so the block may invalidate or drop the timer while it runs.
  Block block = impl_->block;
  block(*self);
}

void Timer::invalidate() {
  impl_->valid = false;
  impl_->qtimer.stop();
  auto& timers = scheduledTimers();
  auto it = std::find_if(timers.begin(), timers.end(),
                         [this](const std::shared_ptr<Timer>& t) { return t.get() == this; });
  if (it != timers.end()) {
    std::shared_ptr<Timer> keepAlive = *it;  // Destroyed after the erase, not inside it.
    timers.erase(it);
  }
}

bool Timer::isValid() const { return impl_->valid; }

}  // namespace loop

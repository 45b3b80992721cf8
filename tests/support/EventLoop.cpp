#include "tests/support/EventLoop.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QTimer>

#include "platform/loop/MainQueue.h"

namespace testsupport {

void runLoopFor(std::chrono::milliseconds duration) {
  runLoopUntil([] { return false; }, duration);
}

bool runLoopUntil(const std::function<bool()>& done, std::chrono::milliseconds timeout) {
  QElapsedTimer clock;
  clock.start();
  QTimer wake;  // Bounds each wait, so `done` is checked at least every millisecond.
  wake.setTimerType(Qt::PreciseTimer);
  wake.start(1);
  while (!done()) {
    if (clock.elapsed() >= timeout.count()) {
      return false;
    }
    QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
  }
  return true;
}

void drainMainQueue() {
  bool reached = false;
  loop::postToMain([&reached] { reached = true; });
  runLoopUntil([&reached] { return reached; }, std::chrono::seconds(5));
}

}  // namespace testsupport

#pragma once

#include <QObject>
#include <functional>

namespace platform {

// Runs an action when the application's event loop is about to end: on
// Quit, and on SIGTERM and SIGINT, which TerminationSignals.h turns into a
// quit. Armed on first need, by which time the application object exists
// even if the owner was made before it. Main thread only.
class RunOnQuit {
 public:
  explicit RunOnQuit(std::function<void()> action);

  // Connects to the application's aboutToQuit once; later calls do nothing.
  void arm();

 private:
  std::function<void()> action_;
  QObject receiver_;
  bool armed_ = false;
};

}  // namespace platform

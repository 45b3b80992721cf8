#pragma once

#include <memory>

namespace ui {

class ApplicationDelegate {
 public:
  virtual ~ApplicationDelegate() = default;
  // Called on the main thread once the event loop runs, before any other event.
  virtual void applicationDidFinishLaunching() = 0;
};

// The application object: runs the main event loop and ends it.
class Application {
 public:
  virtual ~Application() = default;

  // The running application, created on first use (once only, thread-safe).
  static std::shared_ptr<Application> shared();

  // The application does not own its delegate.
  virtual void setDelegate(std::weak_ptr<ApplicationDelegate> delegate) = 0;
  // Runs the event loop until `terminate`; returns the exit status.
  virtual int run() = 0;
  // Ends the event loop once the current event has been handled; also when
  // called before `run`.
  virtual void terminate() = 0;
};

}  // namespace ui

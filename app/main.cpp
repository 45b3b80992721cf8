#include <cstdio>
#include <cstdlib>
#include <memory>

#include "app/AppDelegate.h"
#include "app/ui/Application.h"
#include "platform/TerminationSignals.h"

namespace {

// Holds the controller for the life of the process; the application's
// delegate reference does not own it.
std::shared_ptr<AppDelegate> appDelegate;

}  // namespace

int main() {
  std::shared_ptr<ui::Application> application = ui::Application::shared();
  // SIGTERM and SIGINT end the event loop like Quit, so software dimming is
  // undone on the way out.
  platform::quitApplicationOnTerminationSignals();
  appDelegate = std::make_shared<AppDelegate>();
  application->setDelegate(appDelegate);
  application->run();
  // Quitting tears nothing down: the controller and the shared components
  // live until the process ends. Their windows must not be destroyed by exit
  // handlers after Qt's own statics are gone, so the process ends here.
  std::fflush(stdout);
  std::_Exit(EXIT_SUCCESS);
}

#include <QApplication>
#include <QMetaObject>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <memory>

#include "app/AppDelegate.h"
#include "app/BrightnessBusObject.h"
#include "app/CommandLine.h"
#include "app/InstanceCommands.h"
#include "platform/session/SessionDisplay.h"
#include "platform/session/SessionInstance.h"
#include "platform/session/TerminationSignals.h"

namespace {

// An autostart entry can run before the session's display is up.
constexpr std::chrono::seconds kDisplayPatience{5};

// Holds the controller for the life of the process. Never destroyed: Qt's X11 plugin ends
// the process with exit() when the display goes away (the session ends), and
// the controller's windows cannot be torn down after that.
std::shared_ptr<AppDelegate>& appDelegate = *new std::shared_ptr<AppDelegate>;
// Lives as long as the controller, for the same reason.
std::shared_ptr<BrightnessBusObject>& busObject = *new std::shared_ptr<BrightnessBusObject>;

// Before launch has built the popover there is nothing to open yet.
bool openPopoverForLaterStart() { return appDelegate && appDelegate->showPopover(); }

platform::SessionInstance::Answer answerCommand(const std::string& request) {
  return InstanceCommands::answer(appDelegate.get(), request);
}

// Ends the process without running exit handlers: the controller and the
// shared components live until then, and their windows must not be destroyed
// after Qt's own statics are gone.
[[noreturn]] void endProcess(int status) {
  std::fflush(stdout);
  std::fflush(stderr);
  std::_Exit(status);
}

// The tray program itself: needs a display, and runs once per user.
int runTrayProgram() {
  const std::string displayProblem = platform::prepareSessionDisplay(kDisplayPatience);
  if (!displayProblem.empty()) {
    std::fprintf(stderr, "%s\n", displayProblem.c_str());
    return EXIT_FAILURE;
  }
  // Never destroyed either; it keeps references to its arguments. The tray
  // utility has no main window, so it lives on when its last window closes.
  static int qtArgc = 1;
  static char qtName[] = "glimmerbox";
  static char* qtArgv[] = {qtName, nullptr};
  new QApplication(qtArgc, qtArgv);
  QApplication::setQuitOnLastWindowClosed(false);
  platform::SessionInstance instance(&openPopoverForLaterStart, &answerCommand);
  switch (instance.claim()) {
    case platform::SessionInstance::Claim::handedOver:
      std::fprintf(stderr, "glimmerbox: already running; opened its popover\n");
      endProcess(EXIT_SUCCESS);
    case platform::SessionInstance::Claim::notOpened:
      std::fprintf(stderr,
                   "glimmerbox: already running, but it could not open its popover; "
                   "try again in a moment\n");
      endProcess(EXIT_FAILURE);
    case platform::SessionInstance::Claim::unanswered:
      std::fprintf(stderr,
                   "glimmerbox: already running, but it did not answer whether it opened its "
                   "popover (busy, hung or an older version); quit it and start it again\n");
      endProcess(EXIT_FAILURE);
    case platform::SessionInstance::Claim::unreachable:
      std::fprintf(stderr,
                   "glimmerbox: another instance holds %s/instance.lock but does not answer\n",
                   instance.folder().c_str());
      endProcess(EXIT_FAILURE);
    case platform::SessionInstance::Claim::first:
      break;
  }
  // SIGTERM and SIGINT end the event loop like Quit, so software dimming is
  // undone on the way out.
  platform::quitApplicationOnTerminationSignals();
  appDelegate = std::make_shared<AppDelegate>();
  appDelegate->addLevelObserver([&instance](std::int64_t level) {
    instance.tellFollowers(InstanceCommands::levelLine(level));
  });
  // Launches once the loop runs, before any other event.
  QMetaObject::invokeMethod(
      qApp, [] { appDelegate->applicationDidFinishLaunching(); }, Qt::QueuedConnection);
  // Calls are answered on the loop; one that beats the launch finds no popover yet.
  busObject = BrightnessBusObject::publish(appDelegate);
  QApplication::exec();
  endProcess(EXIT_SUCCESS);
}

}  // namespace

// Help, the version and the commands need no display: they run before the
// tray program would look for one.
int main(int argc, char** argv) {
  const CommandLine commandLine = CommandLine::parse({argv + 1, argv + argc});
  if (!commandLine.error.empty()) {
    std::fprintf(stderr, "%s\n\n%s", commandLine.error.c_str(), CommandLine::usage());
    return 2;
  }
  switch (commandLine.action) {
    case CommandLine::Action::run:
      return runTrayProgram();
    case CommandLine::Action::help:
      std::fputs(CommandLine::usage(), stdout);
      return EXIT_SUCCESS;
    case CommandLine::Action::version:
      std::printf("glimmerbox %s\n", GLIMMERBOX_VERSION);
      return EXIT_SUCCESS;
    default:
      return InstanceCommands::send(commandLine);
  }
}

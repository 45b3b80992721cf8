#include "platform/session/TerminationSignals.h"

#include <fcntl.h>
#include <unistd.h>

#include <QCoreApplication>
#include <QSocketNotifier>
#include <array>
#include <cerrno>
#include <csignal>

namespace platform {
namespace {

constexpr std::array<int, 2> kTerminationSignals = {SIGTERM, SIGINT};

// The self-pipe: the handler may only make async-signal-safe calls, so it
// writes a byte that the main loop reads.
int signalPipe[2] = {-1, -1};

void onTerminationSignal(int) {
  const int savedErrno = errno;
  const char byte = 1;
  [[maybe_unused]] const ssize_t ignored = ::write(signalPipe[1], &byte, 1);
  errno = savedErrno;
}

void drainPipe() {
  char bytes[16];
  while (::read(signalPipe[0], bytes, sizeof bytes) > 0) {
  }
}

bool installSelfPipe() {
  QCoreApplication* application = QCoreApplication::instance();
  if (application == nullptr || ::pipe2(signalPipe, O_CLOEXEC | O_NONBLOCK) != 0) {
    return false;
  }
  auto* notifier = new QSocketNotifier(signalPipe[0], QSocketNotifier::Read, application);
  QObject::connect(notifier, &QSocketNotifier::activated, [] {
    drainPipe();
    QCoreApplication::quit();
  });
  struct sigaction action = {};
  action.sa_handler = &onTerminationSignal;
  action.sa_flags = SA_RESTART;
  sigemptyset(&action.sa_mask);
  for (int signal : kTerminationSignals) {
    sigaction(signal, &action, nullptr);
  }
  return true;
}

}  // namespace

void quitApplicationOnTerminationSignals() {
  [[maybe_unused]] static const bool installed = installSelfPipe();
}

}  // namespace platform

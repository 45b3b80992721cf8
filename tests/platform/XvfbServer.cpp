#include "tests/platform/XvfbServer.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/prctl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <string>

namespace testsupport {
namespace {

// Xvfb is ready within a second on a loaded machine; ten leaves room.
constexpr int kStartTimeoutMilliseconds = 10000;

// Runs in the forked child: only async-signal-safe calls.
[[noreturn]] void execXvfb(const char* readyFd) {
  prctl(PR_SET_PDEATHSIG, SIGKILL);
  const int devNull = open("/dev/null", O_RDWR);
  dup2(devNull, STDOUT_FILENO);
  dup2(devNull, STDERR_FILENO);
  execlp("Xvfb", "Xvfb", "-displayfd", readyFd, "-screen", "0", "640x480x24", "-nolisten", "tcp",
         "-noreset", static_cast<char*>(nullptr));
  _exit(127);
}

std::string readDisplayNumber(int fd) {
  std::string number;
  pollfd ready = {fd, POLLIN, 0};
  while (poll(&ready, 1, kStartTimeoutMilliseconds) == 1) {
    char c;
    if (read(fd, &c, 1) != 1 || c == '\n') {
      break;
    }
    number += c;
  }
  return number;
}

}  // namespace

XvfbServer::XvfbServer() {
  int ready[2];
  if (pipe(ready) != 0) {
    return;
  }
  const std::string readyFd = std::to_string(ready[1]);
  pid_ = fork();
  if (pid_ == 0) {
    close(ready[0]);
    execXvfb(readyFd.c_str());
  }
  close(ready[1]);
  const std::string number = pid_ > 0 ? readDisplayNumber(ready[0]) : "";
  close(ready[0]);
  if (!number.empty()) {
    displayName_ = ":" + number;
  }
}

XvfbServer::~XvfbServer() {
  if (pid_ > 0) {
    kill(pid_, SIGTERM);
    waitpid(pid_, nullptr, 0);
  }
}

}  // namespace testsupport

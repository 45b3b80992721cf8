#include "tests/vm/support/ChildProcess.h"

#include <fcntl.h>
#include <grp.h>
#include <poll.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <stdexcept>

namespace vmtest {
namespace {

// Only async-signal-safe calls between fork and exec: the parent has threads.
[[noreturn]] void becomeChild(const Identity& identity, int outputFd, int errorFd,
                              char* const* argv) {
  if (dup2(outputFd, STDOUT_FILENO) < 0 || dup2(errorFd, STDERR_FILENO) < 0 ||
      setgroups(identity.groups.size(), identity.groups.data()) != 0 || setgid(identity.gid) != 0 ||
      setuid(identity.uid) != 0) {
    _exit(126);
  }
  execv(argv[0], argv);
  _exit(127);
}

}  // namespace

ChildProcess::ChildProcess(const std::vector<std::string>& argv, const Identity& identity,
                           const std::string& errorPath) {
  std::vector<char*> arguments;
  for (const std::string& argument : argv) {
    arguments.push_back(const_cast<char*>(argument.c_str()));
  }
  arguments.push_back(nullptr);
  int output[2];
  const int errorFd = open(errorPath.c_str(), O_WRONLY | O_CREAT | O_APPEND | O_CLOEXEC, 0644);
  if (errorFd < 0 || pipe2(output, O_CLOEXEC) != 0) {
    throw std::runtime_error("cannot start " + argv[0]);
  }
  pid_ = fork();
  if (pid_ == 0) {
    becomeChild(identity, output[1], errorFd, arguments.data());
  }
  close(output[1]);
  close(errorFd);
  outputFd_ = output[0];
}

ChildProcess::~ChildProcess() {
  kill(SIGKILL);
  close(outputFd_);
}

std::optional<std::string> ChildProcess::readLine(std::chrono::milliseconds timeout) {
  const auto deadline = std::chrono::steady_clock::now() + timeout;
  for (;;) {
    const std::size_t end = buffered_.find('\n');
    if (end != std::string::npos) {
      std::string line = buffered_.substr(0, end);
      buffered_.erase(0, end + 1);
      return line;
    }
    const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
        deadline - std::chrono::steady_clock::now());
    pollfd ready{outputFd_, POLLIN, 0};
    char chunk[256];
    if (left.count() <= 0 || poll(&ready, 1, static_cast<int>(left.count())) != 1) {
      return std::nullopt;
    }
    const ssize_t got = read(outputFd_, chunk, sizeof chunk);
    if (got <= 0) {
      return std::nullopt;
    }
    buffered_.append(chunk, static_cast<std::size_t>(got));
  }
}

void ChildProcess::kill(int signal) {
  if (pid_ > 0) {
    ::kill(pid_, signal);
    waitpid(pid_, nullptr, 0);
    pid_ = -1;
  }
}

}  // namespace vmtest

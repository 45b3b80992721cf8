#include "tests/vm/support/ChildProcess.h"

#include <fcntl.h>
#include <grp.h>
#include <poll.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>

#include "tests/vm/support/EventNode.h"

namespace vmtest {

ChildProcess::ChildProcess(std::vector<std::string> argv, uid_t uid, const std::string& errorLog) {
  std::vector<char*> arguments;
  for (std::string& argument : argv) arguments.push_back(argument.data());
  arguments.push_back(nullptr);
  int output[2];
  const int errorFd = open(errorLog.c_str(), O_WRONLY | O_CREAT | O_APPEND | O_CLOEXEC, 0644);
  pipe2(output, O_CLOEXEC);
  pid_ = fork();
  // Only async-signal-safe calls before exec: the parent has threads.
  if (pid_ == 0) {
    if (dup2(output[1], STDOUT_FILENO) >= 0 && dup2(errorFd, STDERR_FILENO) >= 0 &&
        setgroups(0, nullptr) == 0 && setgid(uid) == 0 && setuid(uid) == 0) {
      execv(arguments[0], arguments.data());
    }
    _exit(127);
  }
  close(output[1]);
  close(errorFd);
  outputFd_ = output[0];
}

ChildProcess::~ChildProcess() {
  kill(pid_, SIGKILL);
  waitpid(pid_, nullptr, 0);
  close(outputFd_);
}

std::string ChildProcess::readLine() {
  const auto deadline = std::chrono::steady_clock::now() + kPatience;
  std::size_t end;
  while ((end = buffered_.find('\n')) == std::string::npos) {
    const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
        deadline - std::chrono::steady_clock::now());
    pollfd ready{outputFd_, POLLIN, 0};
    char chunk[256];
    ssize_t got = 0;
    if (left.count() <= 0 || poll(&ready, 1, static_cast<int>(left.count())) != 1 ||
        (got = read(outputFd_, chunk, sizeof chunk)) <= 0) {
      return "(nothing)";
    }
    buffered_.append(chunk, static_cast<std::size_t>(got));
  }
  std::string line = buffered_.substr(0, end);
  buffered_.erase(0, end + 1);
  return line;
}

}  // namespace vmtest

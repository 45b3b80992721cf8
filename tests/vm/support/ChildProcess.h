#pragma once

#include <sys/types.h>

#include <chrono>
#include <optional>
#include <string>
#include <vector>

#include "tests/vm/support/EventNode.h"

namespace vmtest {

// Who a child runs as: the ids and supplementary groups it switches to
// before it starts its program.
struct Identity {
  uid_t uid;
  gid_t gid;
  std::vector<gid_t> groups;
};

// A program started as another user, its standard output read line by line
// and its standard error written to a file. Killed when it goes out of scope.
class ChildProcess {
 public:
  ChildProcess(const std::vector<std::string>& argv, const Identity& identity,
               const std::string& errorPath);
  ~ChildProcess();
  ChildProcess(const ChildProcess&) = delete;
  ChildProcess& operator=(const ChildProcess&) = delete;

  pid_t pid() const { return pid_; }
  // The next line it printed, without its newline; empty once it stopped
  // printing or the timeout passed.
  std::optional<std::string> readLine(std::chrono::milliseconds timeout = kPatience);
  // Sends `signal` and waits for the child to end.
  void kill(int signal);

 private:
  pid_t pid_ = -1;
  int outputFd_ = -1;
  std::string buffered_;
};

}  // namespace vmtest

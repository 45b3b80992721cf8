#pragma once

#include <sys/types.h>

#include <string>
#include <vector>

namespace vmtest {

// A program started as `uid`, its standard output read line by line, its
// standard error appended to `errorLog`. Killed when it goes out of scope.
class ChildProcess {
 public:
  ChildProcess(std::vector<std::string> argv, uid_t uid, const std::string& errorLog);
  ~ChildProcess();
  ChildProcess(const ChildProcess&) = delete;
  ChildProcess& operator=(const ChildProcess&) = delete;

  // The next line it printed, without its newline; "(nothing)" once it
  // stopped printing or kPatience passed.
  std::string readLine();

 private:
  pid_t pid_;
  int outputFd_;
  std::string buffered_;
};

}  // namespace vmtest

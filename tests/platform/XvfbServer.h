#pragma once

#include <sys/types.h>
#include <string>

namespace testsupport {

// A private Xvfb for one test: picks a free display number itself, and dies
// with the process that started it even when that process exits abruptly.
class XvfbServer {
 public:
  XvfbServer();
  ~XvfbServer();
  XvfbServer(const XvfbServer&) = delete;
  XvfbServer& operator=(const XvfbServer&) = delete;

  bool running() const { return !displayName_.empty(); }
  // ":N", for XOpenDisplay.
  const std::string& displayName() const { return displayName_; }

 private:
  pid_t pid_ = -1;
  std::string displayName_;
};

}  // namespace testsupport

#pragma once

#include <chrono>
#include <optional>
#include <string>

namespace platform {

// The command line's side of the single-instance socket: one connection to
// the running program, lines out and lines in. Plain sockets, so the command
// line runs without an application object and without a display.
class InstanceConnection {
 public:
  // Connects to the socket at `path`; `connected()` says whether anyone listens.
  explicit InstanceConnection(const std::string& path);
  ~InstanceConnection();
  InstanceConnection(const InstanceConnection&) = delete;
  InstanceConnection& operator=(const InstanceConnection&) = delete;

  bool connected() const { return fd_ >= 0; }
  bool writeLine(const std::string& line);
  // The next line without its end; nothing when the program closed the
  // connection or said nothing for `patience` (forever when negative).
  std::optional<std::string> readLine(std::chrono::milliseconds patience);

 private:
  int fd_ = -1;
  std::string pending_;
};

}  // namespace platform

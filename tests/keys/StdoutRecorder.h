#pragma once

#include <string>

// Sends standard output to a private file while it exists, so a test can read
// the log lines written so far at any moment (also from inside a callback).
class StdoutRecorder {
 public:
  StdoutRecorder();
  ~StdoutRecorder();
  StdoutRecorder(const StdoutRecorder&) = delete;
  StdoutRecorder& operator=(const StdoutRecorder&) = delete;

  std::string text() const;

 private:
  std::string path_;
  int savedStdout_ = -1;
};

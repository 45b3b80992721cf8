#include "tests/keys/StdoutRecorder.h"

#include <fcntl.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>

StdoutRecorder::StdoutRecorder() {
  std::string pattern =
      (std::filesystem::temp_directory_path() / "glimmerbox-stdout-XXXXXX").string();
  const int fd = mkstemp(pattern.data());
  if (fd < 0) {
    std::abort();
  }
  path_ = pattern;
  std::fflush(stdout);
  savedStdout_ = dup(STDOUT_FILENO);
  dup2(fd, STDOUT_FILENO);
  close(fd);
}

StdoutRecorder::~StdoutRecorder() {
  std::fflush(stdout);
  dup2(savedStdout_, STDOUT_FILENO);
  close(savedStdout_);
  std::filesystem::remove(path_);
}

std::string StdoutRecorder::text() const {
  std::fflush(stdout);
  std::ifstream file(path_);
  std::stringstream content;
  content << file.rdbuf();
  return content.str();
}

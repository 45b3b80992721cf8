#include "tests/vm/support/SysfsFile.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <fstream>
#include <sstream>
#include <stdexcept>

namespace vmtest {

std::string readFile(const std::string& path) {
  std::ifstream file(path);
  if (!file) {
    throw std::runtime_error("cannot read " + path);
  }
  std::ostringstream contents;
  contents << file.rdbuf();
  return contents.str();
}

// Sysfs takes an attribute's value in a single write(2); a stream might split it.
void writeFile(const std::string& path, const std::string& value) {
  int fd = open(path.c_str(), O_WRONLY | O_CLOEXEC);
  if (fd < 0) {
    throw std::runtime_error("cannot open " + path + ": " + std::strerror(errno));
  }
  ssize_t written = write(fd, value.data(), value.size());
  int error = errno;
  close(fd);
  if (written != static_cast<ssize_t>(value.size())) {
    throw std::runtime_error("cannot write " + path + ": " + std::strerror(error));
  }
}

}  // namespace vmtest

#include "tests/vm/support/FakeMonitor.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <stdexcept>

namespace vmtest {
namespace {

const std::string kAdapterNamePrefix = "glimmerbox fake monitor ";
const std::filesystem::path kI2cDevices = "/sys/bus/i2c/devices";

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
  const int fd = open(path.c_str(), O_WRONLY | O_CLOEXEC);
  const bool written =
      fd >= 0 && write(fd, value.data(), value.size()) == static_cast<ssize_t>(value.size());
  const int error = errno;
  close(fd);
  if (!written) {
    throw std::runtime_error("cannot write " + path + ": " + std::strerror(error));
  }
}

}  // namespace

std::vector<FakeMonitor> FakeMonitor::all() {
  setBusyWindow("none");
  std::vector<FakeMonitor> monitors;
  for (const auto& entry : std::filesystem::directory_iterator(kI2cDevices)) {
    const std::string adapter = entry.path().filename();
    if (adapter.starts_with("i2c-") && std::filesystem::exists(entry.path() / "name") &&
        readFile(entry.path() / "name").starts_with(kAdapterNamePrefix)) {
      monitors.push_back(FakeMonitor(std::stoi(adapter.substr(4))));
      monitors.back().clearWrites();
    }
  }
  return monitors;
}

void FakeMonitor::setBusyWindow(const std::string& mode) {
  writeFile("/sys/module/glimmerbox_fake_monitor/parameters/busy", mode);
}

std::string FakeMonitor::attribute(const std::string& name) const {
  return (kI2cDevices / ("i2c-" + std::to_string(bus_)) / name).string();
}

std::vector<std::string> FakeMonitor::writes() const {
  std::istringstream lines(readFile(attribute("writes")));
  std::vector<std::string> result;
  for (std::string line; std::getline(lines, line);) {
    result.push_back(line);
  }
  return result;
}

void FakeMonitor::clearWrites() const { writeFile(attribute("writes"), "0"); }

void FakeMonitor::refuseNext(unsigned count) const {
  writeFile(attribute("refuse_next"), std::to_string(count));
}

int FakeMonitor::level() const { return std::stoi(readFile(attribute("level"))); }

}  // namespace vmtest

#include "tests/vm/support/FakeMonitor.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
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
  return (std::ostringstream() << file.rdbuf()).str();
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
  setBusyWindow(std::chrono::milliseconds(0));
  std::vector<FakeMonitor> monitors;
  for (const auto& entry : std::filesystem::directory_iterator(kI2cDevices)) {
    const std::string adapter = entry.path().filename();
    if (adapter.starts_with("i2c-") && std::filesystem::exists(entry.path() / "name") &&
        readFile(entry.path() / "name").starts_with(kAdapterNamePrefix)) {
      monitors.push_back(FakeMonitor(std::stoi(adapter.substr(4))));
      monitors.back().clearWrites();
      monitors.back().setLevel(50);
    }
  }
  return monitors;
}

void FakeMonitor::setBusyWindow(std::chrono::milliseconds window) {
  writeFile("/sys/module/glimmerbox_fake_monitor/parameters/busy_ms",
            std::to_string(window.count()));
}

std::string FakeMonitor::packetOf(int level) {
  char packet[32];
  std::snprintf(packet, sizeof packet, "51 84 03 10 00 %02x %02x", level,
                0x3F ^ 0x84 ^ 0x03 ^ 0x10 ^ level);
  return packet;
}

std::string FakeMonitor::attribute(const std::string& name) const {
  return (kI2cDevices / ("i2c-" + std::to_string(bus_)) / name).string();
}

std::vector<std::string> FakeMonitor::writes() const {
  std::istringstream lines(readFile(attribute("writes")));
  std::vector<std::string> result;
  for (std::string line; std::getline(lines, line);) result.push_back(line);
  return result;
}

void FakeMonitor::clearWrites() const { writeFile(attribute("writes"), "0"); }

void FakeMonitor::setLevel(int level) const {
  writeFile(attribute("level"), std::to_string(level));
}

}  // namespace vmtest

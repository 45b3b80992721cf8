#include "tests/vm/support/FakeMonitor.h"

#include <algorithm>
#include <filesystem>
#include <sstream>
#include <stdexcept>

#include "tests/vm/support/SysfsFile.h"

namespace vmtest {
namespace {

const std::string kModuleParameters = "/sys/module/glimmerbox_fake_monitor/parameters/";
const std::string kAdapterNamePrefix = "glimmerbox fake monitor ";
const std::filesystem::path kI2cDevices = "/sys/bus/i2c/devices";
// The DDC/CI address, as the i2c core's new_device and delete_device take it.
const std::string kDdcAddress = "0x37";

}  // namespace

std::vector<FakeMonitor> FakeMonitor::all() {
  setBusyWindow("none");
  std::vector<FakeMonitor> monitors;
  for (const auto& entry : std::filesystem::directory_iterator(kI2cDevices)) {
    std::string adapter = entry.path().filename();
    if (!adapter.starts_with("i2c-") || !std::filesystem::exists(entry.path() / "name")) {
      continue;
    }
    std::string name = readFile(entry.path() / "name");
    if (name.starts_with(kAdapterNamePrefix)) {
      monitors.push_back(FakeMonitor(std::stoi(name.substr(kAdapterNamePrefix.size())),
                                     std::stoi(adapter.substr(4))));
    }
  }
  std::sort(monitors.begin(), monitors.end(),
            [](const FakeMonitor& a, const FakeMonitor& b) { return a.index_ < b.index_; });
  for (const FakeMonitor& monitor : monitors) {
    monitor.clearWrites();
    monitor.refuseNext(0);
  }
  return monitors;
}

void FakeMonitor::setBusyWindow(const std::string& mode) {
  writeFile(kModuleParameters + "busy", mode);
}

std::string FakeMonitor::devicePath() const { return "/dev/i2c-" + std::to_string(bus_); }

std::string FakeMonitor::attributePath(const std::string& name) const {
  return (kI2cDevices / ("i2c-" + std::to_string(bus_)) / name).string();
}

std::vector<std::string> FakeMonitor::writes() const {
  std::istringstream lines(readFile(attributePath("writes")));
  std::vector<std::string> result;
  for (std::string line; std::getline(lines, line);) {
    result.push_back(line);
  }
  return result;
}

void FakeMonitor::clearWrites() const { writeFile(attributePath("writes"), "0"); }

void FakeMonitor::refuseNext(unsigned count) const {
  writeFile(attributePath("refuse_next"), std::to_string(count));
}

int FakeMonitor::level() const { return std::stoi(readFile(attributePath("level"))); }

// The i2c core's "dummy" driver binds to a client created by that name.
void FakeMonitor::claimAddressByDriver() const {
  writeFile(attributePath("new_device"), "dummy " + kDdcAddress);
}

void FakeMonitor::releaseAddressFromDriver() const {
  writeFile(attributePath("delete_device"), kDdcAddress);
}

}  // namespace vmtest

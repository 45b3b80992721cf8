#pragma once

#include <chrono>
#include <cstdint>
#include <string>
#include <vector>

namespace vmtest {

// One monitor of the glimmerbox_fake_monitor kernel module: an I2C adapter
// that answers the DDC/CI address and records what was written to it.
class FakeMonitor {
 public:
  // Every monitor the module registers, with an empty record, no busy window
  // and its luminance at 50 (of the module's 100).
  static std::vector<FakeMonitor> all();
  // How long every monitor refuses messages after the last it took, as a
  // real monitor does for about 50 ms.
  static void setBusyWindow(std::chrono::milliseconds window);
  // A luminance command for `level` as writes() shows it.
  static std::string packetOf(int level);

  int bus() const { return bus_; }
  std::string devicePath() const { return "/dev/i2c-" + std::to_string(bus_); }
  // The display-service library's id for this monitor's bus.
  std::uint32_t serviceId() const { return static_cast<std::uint32_t>(bus_) + 1; }

  // Each write as hex bytes from the data address on, "refused" appended
  // when the monitor refused it.
  std::vector<std::string> writes() const;
  void clearWrites() const;

  // The luminance it reports to a Get VCP Feature request; a taken luminance
  // command sets it.
  void setLevel(int level) const;

 private:
  explicit FakeMonitor(int bus) : bus_(bus) {}
  std::string attribute(const std::string& name) const;

  int bus_;
};

}  // namespace vmtest

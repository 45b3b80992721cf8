#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace vmtest {

// One monitor of the glimmerbox_fake_monitor kernel module: an I2C adapter
// that answers the DDC/CI address and records what was written to it.
class FakeMonitor {
 public:
  // Every monitor the module registers, with an empty record and no busy window.
  static std::vector<FakeMonitor> all();
  // What every monitor does with a message within 50 ms of the last
  // luminance command it took: "none" (takes it), "nak" or "ignore".
  static void setBusyWindow(const std::string& mode);

  int bus() const { return bus_; }
  std::string devicePath() const { return "/dev/i2c-" + std::to_string(bus_); }
  // The display-service library's id for this monitor's bus.
  std::uint32_t serviceId() const { return static_cast<std::uint32_t>(bus_) + 1; }

  // Each write as hex bytes from the data address on, "refused" appended
  // when the monitor refused it, "ignored" when it acknowledged and dropped it.
  std::vector<std::string> writes() const;
  void clearWrites() const;
  // The next `count` writes fail as a busy monitor's do.
  void refuseNext(unsigned count) const;
  // The last accepted luminance level, or -1.
  int level() const;

 private:
  explicit FakeMonitor(int bus) : bus_(bus) {}
  std::string attribute(const std::string& name) const;

  int bus_;
};

}  // namespace vmtest

#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace vmtest {

// One monitor of the glimmerbox_fake_monitor kernel module: an I2C adapter
// that answers the DDC/CI address and records what was written to it.
class FakeMonitor {
 public:
  // Every monitor the module registers, with an empty record, no refusals
  // pending and no busy window; ordered by index.
  static std::vector<FakeMonitor> all();
  // What every monitor does with a message within 50 ms of the last
  // luminance command it took: "none" (takes it), "nak" or "ignore".
  static void setBusyWindow(const std::string& mode);

  int index() const { return index_; }
  int bus() const { return bus_; }
  std::string devicePath() const;
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
  // Makes a kernel driver hold the DDC/CI address, or lets it go.
  void claimAddressByDriver() const;
  void releaseAddressFromDriver() const;

 private:
  FakeMonitor(int index, int bus) : index_(index), bus_(bus) {}
  std::string attributePath(const std::string& name) const;

  int index_;
  int bus_;
};

}  // namespace vmtest

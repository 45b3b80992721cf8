#pragma once

#include <filesystem>
#include <memory>

#include "platform/backlight/Backlight.h"

namespace platform {

// Reads the panel's backlight from sysfs under `sysfsRoot` (normally /sys)
// and sets it through logind's Session.SetBrightness on the system bus, for
// the caller's session, one asynchronous call per value. A refusal is
// written to standard error once per kind of error. Values are clamped to the
// device's range first; a device gone from sysfs is left alone.
class LogindBacklight : public Backlight {
 public:
  explicit LogindBacklight(std::filesystem::path sysfsRoot = "/sys");
  ~LogindBacklight() override;
  LogindBacklight(const LogindBacklight&) = delete;
  LogindBacklight& operator=(const LogindBacklight&) = delete;

  std::optional<BacklightDevice> builtInPanel() override;
  void setBrightness(const std::string& name, std::int64_t value) override;

 private:
  struct Impl;
  std::unique_ptr<Impl> impl_;
};

}  // namespace platform

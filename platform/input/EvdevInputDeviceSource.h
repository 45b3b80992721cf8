#pragma once

#include "platform/input/InputDeviceSource.h"

struct udev;
struct udev_monitor;

namespace platform {

// The event devices under /dev/input, listed and followed through libudev.
class EvdevInputDeviceSource : public InputDeviceSource {
 public:
  EvdevInputDeviceSource();
  ~EvdevInputDeviceSource() override;
  EvdevInputDeviceSource(const EvdevInputDeviceSource&) = delete;
  EvdevInputDeviceSource& operator=(const EvdevInputDeviceSource&) = delete;

  bool canCreateVirtualDevices() override;
  std::optional<std::vector<std::string>> enumerate() override;
  std::unique_ptr<InputDevice> open(const std::string& path) override;
  int changesFd() const override;
  std::vector<Change> readChanges() override;

 private:
  udev* const udev_;
  udev_monitor* monitor_ = nullptr;
};

}  // namespace platform

#include "platform/input/EvdevInputDeviceSource.h"

#include <fcntl.h>
#include <libudev.h>
#include <unistd.h>

#include <cstring>
#include <string_view>

#include "platform/input/EvdevInputDevice.h"

namespace platform {

namespace {

constexpr const char* kUinputPath = "/dev/uinput";
// Present while the udev daemon runs; without it (a bare system, a test VM)
// device changes are taken from the kernel directly.
constexpr const char* kUdevControlPath = "/run/udev/control";

bool isEventDevice(udev_device* device) {
  const char* sysname = udev_device_get_sysname(device);
  return sysname != nullptr && std::string_view(sysname).starts_with("event") &&
         udev_device_get_devnode(device) != nullptr;
}

udev_monitor* makeMonitor(udev* context) {
  if (context == nullptr) {
    return nullptr;
  }
  const bool udevRuns = access(kUdevControlPath, F_OK) == 0;
  udev_monitor* monitor = udev_monitor_new_from_netlink(context, udevRuns ? "udev" : "kernel");
  if (monitor == nullptr) {
    return nullptr;
  }
  if (udev_monitor_filter_add_match_subsystem_devtype(monitor, "input", nullptr) < 0 ||
      udev_monitor_enable_receiving(monitor) < 0) {
    udev_monitor_unref(monitor);
    return nullptr;
  }
  return monitor;
}

}  // namespace

EvdevInputDeviceSource::EvdevInputDeviceSource()
    : udev_(udev_new()), monitor_(makeMonitor(udev_)) {}

EvdevInputDeviceSource::~EvdevInputDeviceSource() {
  if (monitor_ != nullptr) {
    udev_monitor_unref(monitor_);
  }
  if (udev_ != nullptr) {
    udev_unref(udev_);
  }
}

bool EvdevInputDeviceSource::canCreateVirtualDevices() {
  const int fd = ::open(kUinputPath, O_WRONLY | O_CLOEXEC);
  if (fd < 0) {
    return false;
  }
  close(fd);
  return true;
}

std::optional<std::vector<std::string>> EvdevInputDeviceSource::enumerate() {
  if (udev_ == nullptr) {
    return std::nullopt;
  }
  udev_enumerate* listing = udev_enumerate_new(udev_);
  if (listing == nullptr) {
    return std::nullopt;
  }
  std::optional<std::vector<std::string>> paths;
  if (udev_enumerate_add_match_subsystem(listing, "input") >= 0 &&
      udev_enumerate_scan_devices(listing) >= 0) {
    paths.emplace();
    udev_list_entry* entry = nullptr;
    udev_list_entry_foreach(entry, udev_enumerate_get_list_entry(listing)) {
      udev_device* device = udev_device_new_from_syspath(udev_, udev_list_entry_get_name(entry));
      if (device != nullptr && isEventDevice(device)) {
        paths->emplace_back(udev_device_get_devnode(device));
      }
      if (device != nullptr) {
        udev_device_unref(device);
      }
    }
  }
  udev_enumerate_unref(listing);
  return paths;
}

std::unique_ptr<InputDevice> EvdevInputDeviceSource::open(const std::string& path) {
  return EvdevInputDevice::open(path);
}

int EvdevInputDeviceSource::changesFd() const {
  return monitor_ == nullptr ? -1 : udev_monitor_get_fd(monitor_);
}

std::vector<InputDeviceSource::Change> EvdevInputDeviceSource::readChanges() {
  std::vector<Change> changes;
  while (udev_device* device = udev_monitor_receive_device(monitor_)) {
    const char* action = udev_device_get_action(device);
    if (action != nullptr && isEventDevice(device)) {
      const std::string path = udev_device_get_devnode(device);
      if (std::strcmp(action, "add") == 0) {
        changes.push_back({Change::Kind::Added, path});
      } else if (std::strcmp(action, "remove") == 0) {
        changes.push_back({Change::Kind::Removed, path});
      }
    }
    udev_device_unref(device);
  }
  return changes;
}

}  // namespace platform

#include "platform/LinuxInputAccessQuery.h"

#include <fcntl.h>
#include <libudev.h>
#include <linux/input-event-codes.h>
#include <unistd.h>

#include <array>
#include <memory>
#include <string_view>

#include "platform/DataFiles.h"
#include "platform/KeyCapabilities.h"

namespace platform {

namespace {

constexpr std::array<std::uint16_t, 4> kTakenKeys{KEY_BRIGHTNESSUP, KEY_BRIGHTNESSDOWN, KEY_F14,
                                                  KEY_F15};

bool mayOpen(const char* path, int mode) {
  return faccessat(AT_FDCWD, path, mode, AT_EACCESS) == 0;
}

bool sendsTakenKey(udev_device* eventDevice) {
  udev_device* input = udev_device_get_parent_with_subsystem_devtype(eventDevice, "input", nullptr);
  const char* text =
      input == nullptr ? nullptr : udev_device_get_sysattr_value(input, "capabilities/key");
  if (text == nullptr) {
    return false;
  }
  const InputDevice::KeyBits keys = KeyCapabilities::parse(text);
  for (std::uint16_t key : kTakenKeys) {
    if (keys.test(key)) {
      return true;
    }
  }
  return false;
}

bool mayReadEventDevice(udev* context, const char* syspath) {
  std::unique_ptr<udev_device, decltype(&udev_device_unref)> device(
      udev_device_new_from_syspath(context, syspath), udev_device_unref);
  if (!device) {
    return true;  // Gone since it was listed.
  }
  const char* sysname = udev_device_get_sysname(device.get());
  const char* devnode = udev_device_get_devnode(device.get());
  if (sysname == nullptr || devnode == nullptr || !std::string_view(sysname).starts_with("event") ||
      !sendsTakenKey(device.get())) {
    return true;
  }
  return mayOpen(devnode, R_OK);
}

bool mayReadBrightnessKeyDevices() {
  std::unique_ptr<udev, decltype(&udev_unref)> context(udev_new(), udev_unref);
  if (!context) {
    return false;
  }
  std::unique_ptr<udev_enumerate, decltype(&udev_enumerate_unref)> listing(
      udev_enumerate_new(context.get()), udev_enumerate_unref);
  if (!listing || udev_enumerate_add_match_subsystem(listing.get(), "input") < 0 ||
      udev_enumerate_scan_devices(listing.get()) < 0) {
    return false;
  }
  udev_list_entry* entry = nullptr;
  udev_list_entry_foreach(entry, udev_enumerate_get_list_entry(listing.get())) {
    if (!mayReadEventDevice(context.get(), udev_list_entry_get_name(entry))) {
      return false;
    }
  }
  return true;
}

}  // namespace

LinuxInputAccessQuery::LinuxInputAccessQuery() : prompt_(DataFiles::inputRulesPath()) {}

bool LinuxInputAccessQuery::isProcessTrusted(bool prompt) {
  const bool trusted = mayOpen("/dev/uinput", W_OK) && mayReadBrightnessKeyDevices();
  if (!trusted && prompt) {
    prompt_.show();
  }
  return trusted;
}

}  // namespace platform

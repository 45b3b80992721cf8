#include "tests/vm/support/VirtualKeyboard.h"

#include <libevdev/libevdev-uinput.h>
#include <libevdev/libevdev.h>

#include <stdexcept>

namespace vmtest {
namespace {

// Real keyboards report a usage-page scan code with each key; any value will do.
constexpr int kScanCodeBase = 0x70000;

}  // namespace

VirtualKeyboard::VirtualKeyboard(const std::string& name, std::initializer_list<unsigned> keys)
    : description_(libevdev_new()) {
  libevdev_set_name(description_, name.c_str());
  libevdev_set_id_bustype(description_, BUS_USB);
  libevdev_enable_event_type(description_, EV_KEY);
  for (unsigned key : keys) {
    libevdev_enable_event_code(description_, EV_KEY, key, nullptr);
  }
  libevdev_enable_event_code(description_, EV_MSC, MSC_SCAN, nullptr);
  if (libevdev_uinput_create_from_device(description_, LIBEVDEV_UINPUT_OPEN_MANAGED, &device_) !=
      0) {
    libevdev_free(description_);
    throw std::runtime_error("cannot create the uinput keyboard " + name);
  }
}

VirtualKeyboard::~VirtualKeyboard() {
  unplug();
  libevdev_free(description_);
}

std::string VirtualKeyboard::devicePath() const {
  const char* node = device_ != nullptr ? libevdev_uinput_get_devnode(device_) : nullptr;
  return node != nullptr ? node : "";
}

void VirtualKeyboard::tap(unsigned key) {
  press(key);
  release(key);
}

void VirtualKeyboard::unplug() {
  if (device_ != nullptr) {
    libevdev_uinput_destroy(device_);
    device_ = nullptr;
  }
}

std::vector<Event> VirtualKeyboard::frameOf(unsigned key, int value) {
  return {{EV_MSC, MSC_SCAN, kScanCodeBase + static_cast<int>(key)},
          {EV_KEY, key, value},
          {EV_SYN, SYN_REPORT, 0}};
}

void VirtualKeyboard::send(unsigned key, int value) {
  for (const Event& event : frameOf(key, value)) {
    libevdev_uinput_write_event(device_, event.type, event.code, event.value);
  }
}

}  // namespace vmtest

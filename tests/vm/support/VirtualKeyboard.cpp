#include "tests/vm/support/VirtualKeyboard.h"

#include <libevdev/libevdev-uinput.h>
#include <libevdev/libevdev.h>

#include <poll.h>
#include <unistd.h>

#include <stdexcept>

namespace vmtest {
namespace {

// Real keyboards report a usage-page scan code with each key; any value will do.
constexpr int kScanCodeBase = 0x70000;
constexpr int kPatienceMilliseconds = std::chrono::milliseconds(kPatience).count();

}  // namespace

VirtualKeyboard::VirtualKeyboard(const std::string& name, std::initializer_list<unsigned> keys) {
  libevdev* description = libevdev_new();
  libevdev_set_name(description, name.c_str());
  libevdev_set_id_bustype(description, BUS_USB);
  for (unsigned key : keys) libevdev_enable_event_code(description, EV_KEY, key, nullptr);
  libevdev_enable_event_code(description, EV_MSC, MSC_SCAN, nullptr);
  libevdev_enable_event_code(description, EV_LED, LED_CAPSL, nullptr);
  const int status =
      libevdev_uinput_create_from_device(description, LIBEVDEV_UINPUT_OPEN_MANAGED, &device_);
  libevdev_free(description);
  if (status != 0) throw std::runtime_error("cannot create the uinput keyboard " + name);
}

VirtualKeyboard::~VirtualKeyboard() { libevdev_uinput_destroy(device_); }

std::string VirtualKeyboard::devicePath() const { return libevdev_uinput_get_devnode(device_); }

std::vector<Event> VirtualKeyboard::ledChanges() {
  pollfd ready{libevdev_uinput_get_fd(device_), POLLIN, 0};
  std::vector<Event> changes;
  input_event raw[16];
  while (changes.empty() && poll(&ready, 1, kPatienceMilliseconds) == 1) {
    const ssize_t bytes = read(ready.fd, raw, sizeof raw);
    for (ssize_t i = 0; i < bytes / static_cast<ssize_t>(sizeof(input_event)); ++i) {
      if (raw[i].type == EV_LED) changes.push_back({raw[i].type, raw[i].code, raw[i].value});
    }
  }
  return changes;
}

std::vector<Event> VirtualKeyboard::framesOf(const KeyValues& keys) {
  std::vector<Event> events;
  for (auto [key, value] : keys) {
    events.insert(events.end(), {{EV_MSC, MSC_SCAN, kScanCodeBase + static_cast<int>(key)},
                                 {EV_KEY, key, value},
                                 {EV_SYN, SYN_REPORT, 0}});
  }
  return events;
}

void VirtualKeyboard::sendAll(const KeyValues& keys) {
  for (const Event& event : framesOf(keys)) {
    libevdev_uinput_write_event(device_, event.type, event.code, event.value);
  }
}

std::vector<Event> VirtualKeyboard::eventsBeforeMarker(EventNode& node, unsigned marker) {
  tap(marker);
  std::vector<Event> before = node.readUpTo(framesOf({{marker, kPressed}})[0]);
  node.readUpTo({EV_KEY, marker, kReleased});
  node.readUpTo({EV_SYN, SYN_REPORT, 0});
  return before;
}

}  // namespace vmtest

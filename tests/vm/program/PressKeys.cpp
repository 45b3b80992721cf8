#include <libevdev/libevdev.h>
#include <unistd.h>

#include <cstdio>
#include <string>

#include "tests/vm/support/EventNode.h"
#include "tests/vm/support/VirtualKeyboard.h"

// Plugs in a keyboard, waits until the program has taken it over, then
// presses keys on it: "+KEY_X" presses, "-KEY_X" releases, "KEY_X" taps.
// Keeps the keyboard plugged in until killed, so the program reads every
// event before the device goes.
//
//   vm_press_keys DEVICE-NAME ACTION...
int main(int argc, char** argv) {
  vmtest::VirtualKeyboard keyboard(
      argc > 1 ? argv[1] : "", {KEY_BRIGHTNESSUP, KEY_BRIGHTNESSDOWN, KEY_LEFTSHIFT, KEY_LEFTALT});
  if (argc < 3 || !vmtest::EventNode::waitForDevice(std::string("Glimmerbox/") + argv[1])) {
    std::fprintf(stderr, "usage: %s DEVICE-NAME ACTION... (or the program never took it)\n",
                 argv[0]);
    return 1;
  }
  for (int i = 2; i < argc; ++i) {
    const std::string action = argv[i];
    const bool edge = action.starts_with('+') || action.starts_with('-');
    const int key = libevdev_event_code_from_name(EV_KEY, action.c_str() + (edge ? 1 : 0));
    if (key < 0) return 2;
    edge ? keyboard.sendAll({{key, action[0] == '+' ? 1 : 0}}) : keyboard.tap(key);
  }
  pause();
  return 0;
}

#include <linux/input.h>
#include <unistd.h>

#include <cstdio>
#include <map>
#include <string>

#include "tests/vm/support/EventNode.h"
#include "tests/vm/support/VirtualKeyboard.h"

// Plugs in a keyboard, waits until the program has taken it over, then
// presses keys on it: "+name" presses, "-name" releases, "name" taps. Keeps
// the keyboard plugged in until killed, so the program reads every event
// before the device goes.
//
//   vm_press_keys DEVICE-NAME ACTION...

namespace {

const std::map<std::string, unsigned> kKeys = {
    {"brightnessup", KEY_BRIGHTNESSUP},
    {"brightnessdown", KEY_BRIGHTNESSDOWN},
    {"leftshift", KEY_LEFTSHIFT},
    {"leftalt", KEY_LEFTALT},
};

bool perform(vmtest::VirtualKeyboard& keyboard, const std::string& action) {
  const bool press = action.starts_with('+');
  const bool release = action.starts_with('-');
  auto key = kKeys.find(press || release ? action.substr(1) : action);
  if (key == kKeys.end()) {
    std::fprintf(stderr, "unknown key in %s\n", action.c_str());
    return false;
  }
  if (press) {
    keyboard.press(key->second);
  } else if (release) {
    keyboard.release(key->second);
  } else {
    keyboard.tap(key->second);
  }
  return true;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 3) {
    std::fprintf(stderr, "usage: %s DEVICE-NAME ACTION...\n", argv[0]);
    return 2;
  }
  const std::string name = argv[1];
  vmtest::VirtualKeyboard keyboard(
      name, {KEY_BRIGHTNESSUP, KEY_BRIGHTNESSDOWN, KEY_LEFTSHIFT, KEY_LEFTALT});
  if (!vmtest::EventNode::waitForDevice("Glimmerbox/" + name)) {
    std::fprintf(stderr, "the program never took %s over\n", name.c_str());
    return 1;
  }
  for (int i = 2; i < argc; ++i) {
    if (!perform(keyboard, argv[i])) {
      return 2;
    }
  }
  pause();
  return 0;
}

#include <linux/input.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <map>
#include <string>
#include <thread>

#include "tests/vm/support/EventNode.h"
#include "tests/vm/support/VirtualKeyboard.h"

// Plugs in a keyboard, waits until the program has taken it over, then
// presses keys on it: "+name" presses, "-name" releases, "name" taps, "*name"
// holds the key for 3 s with a keyboard's autorepeat (30 a second). Keeps
// the keyboard plugged in until killed, so the program reads every event
// before the device goes.
//
//   vm_press_keys DEVICE-NAME ACTION...

namespace {

constexpr int kRepeatsInAHold = 90;
constexpr auto kRepeatInterval = std::chrono::milliseconds(33);

const std::map<std::string, unsigned> kKeys = {
    {"brightnessup", KEY_BRIGHTNESSUP},
    {"brightnessdown", KEY_BRIGHTNESSDOWN},
    {"leftshift", KEY_LEFTSHIFT},
    {"leftalt", KEY_LEFTALT},
};

bool perform(vmtest::VirtualKeyboard& keyboard, const std::string& action) {
  const bool press = action.starts_with('+');
  const bool release = action.starts_with('-');
  const bool hold = action.starts_with('*');
  auto key = kKeys.find(press || release || hold ? action.substr(1) : action);
  if (key == kKeys.end()) {
    std::fprintf(stderr, "unknown key in %s\n", action.c_str());
    return false;
  }
  if (press) {
    keyboard.press(key->second);
  } else if (hold) {
    keyboard.press(key->second);
    for (int i = 0; i < kRepeatsInAHold; ++i) {
      std::this_thread::sleep_for(kRepeatInterval);
      keyboard.sendAll({{key->second, vmtest::VirtualKeyboard::kRepeated}});
    }
    keyboard.release(key->second);
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
  std::printf("pressed\n");
  std::fflush(stdout);
  pause();
  return 0;
}

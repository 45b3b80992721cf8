#pragma once

#include <linux/input.h>

#include <initializer_list>
#include <string>
#include <vector>

#include "tests/vm/support/EventNode.h"

struct libevdev;
struct libevdev_uinput;

namespace vmtest {

// A keyboard made through /dev/uinput, sending frames the way a real one
// does: the scan code, the key, then SYN_REPORT.
class VirtualKeyboard {
 public:
  VirtualKeyboard(const std::string& name, std::initializer_list<unsigned> keys);
  ~VirtualKeyboard();
  VirtualKeyboard(const VirtualKeyboard&) = delete;
  VirtualKeyboard& operator=(const VirtualKeyboard&) = delete;

  std::string devicePath() const;

  // One frame: the scan code, the key with `value`, SYN_REPORT.
  void send(unsigned key, int value);
  void press(unsigned key) { send(key, kPressed); }
  void repeat(unsigned key) { send(key, kRepeated); }
  void release(unsigned key) { send(key, kReleased); }
  void tap(unsigned key);
  // Removes the device, as pulling its cable does.
  void unplug();

  // The events of the frame sent for one key.
  static std::vector<Event> frameOf(unsigned key, int value);

  static constexpr int kReleased = 0;
  static constexpr int kPressed = 1;
  static constexpr int kRepeated = 2;

 private:
  libevdev* description_ = nullptr;
  libevdev_uinput* device_ = nullptr;
};

}  // namespace vmtest

#pragma once

#include <linux/input.h>

#include <initializer_list>
#include <string>
#include <utility>
#include <vector>

#include "tests/vm/support/EventNode.h"

struct libevdev_uinput;

namespace vmtest {

// Keys with their values, one frame each.
using KeyValues = std::vector<std::pair<unsigned, int>>;

// A keyboard made through /dev/uinput, sending frames the way a real one
// does: the scan code, the key, then SYN_REPORT.
class VirtualKeyboard {
 public:
  VirtualKeyboard(const std::string& name, std::initializer_list<unsigned> keys);
  ~VirtualKeyboard();
  VirtualKeyboard(const VirtualKeyboard&) = delete;
  VirtualKeyboard& operator=(const VirtualKeyboard&) = delete;

  std::string devicePath() const;

  void sendAll(const KeyValues& keys);
  void press(unsigned key) { sendAll({{key, kPressed}}); }
  void release(unsigned key) { sendAll({{key, kReleased}}); }
  void tap(unsigned key) { sendAll({{key, kPressed}, {key, kReleased}}); }
  // Everything `node` delivers before `marker`, tapped after the events
  // under test; the marker's own frames are consumed.
  std::vector<Event> eventsBeforeMarker(EventNode& node, unsigned marker = KEY_ENTER);

  // The LED changes applications sent to this keyboard, as its driver would
  // receive them; waits up to kPatience for the first.
  std::vector<Event> ledChanges();

  // The events of the frames sent for these keys.
  static std::vector<Event> framesOf(const KeyValues& keys);

  static constexpr int kReleased = 0;
  static constexpr int kPressed = 1;
  static constexpr int kRepeated = 2;

 private:
  libevdev_uinput* device_ = nullptr;
};

}  // namespace vmtest

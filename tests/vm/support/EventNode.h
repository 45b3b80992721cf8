#pragma once

#include <chrono>
#include <optional>
#include <string>
#include <vector>

namespace vmtest {

// One evdev event as read back, without its time stamp.
struct Event {
  unsigned type;
  unsigned code;
  int value;
  bool operator==(const Event&) const = default;
};

// Where a test waits for the kernel or the tap: long enough for a loaded
// emulated machine, and only ever reached when something is wrong.
inline constexpr std::chrono::seconds kPatience{5};

// A reader of one /dev/input/eventN, as an application reads it.
class EventNode {
 public:
  explicit EventNode(const std::string& path);
  ~EventNode();
  EventNode(const EventNode&) = delete;
  EventNode& operator=(const EventNode&) = delete;

  // The node of the input device with this name, waiting for it to appear.
  static std::optional<std::string> waitForDevice(const std::string& name);
  static bool deviceExists(const std::string& name);

  // Reads until `last` arrives and hands out what came before it; what came
  // after it stays for the next call. Throws when it never arrives.
  std::vector<Event> readUpTo(const Event& last);
  // Whatever has arrived.
  std::vector<Event> drain();

 private:
  // Appends whatever has arrived to pending_.
  void readAvailable();

  int fd_;
  std::vector<Event> pending_;
};

// Only the key events of a stream.
std::vector<Event> keyEventsOf(const std::vector<Event>& events);

}  // namespace vmtest

#pragma once

#include <atomic>
#include <string>
#include <thread>
#include <vector>

#include "tests/vm/support/EventNode.h"

namespace vmtest {

// An application waiting on an event node, as a display server does: it
// takes each event the moment it arrives. The kernel discards what a reader
// had not yet taken when the device goes, so only such a reader sees the
// last events of a device that is being removed.
class EventRecorder {
 public:
  explicit EventRecorder(const std::string& path);
  ~EventRecorder();
  EventRecorder(const EventRecorder&) = delete;
  EventRecorder& operator=(const EventRecorder&) = delete;

  // Waits until the device is gone (at most kPatience) and returns
  // everything it delivered.
  std::vector<Event> eventsUntilGone();

 private:
  void record();

  int fd_;
  std::atomic<bool> waiting_ = false;
  std::vector<Event> events_;
  std::thread reader_;
};

}  // namespace vmtest

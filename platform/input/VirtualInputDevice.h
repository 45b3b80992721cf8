#pragma once

#include <span>
#include <vector>

#include "platform/input/InputEvent.h"

namespace platform {

// A virtual input device (uinput) that re-emits a real device's events.
// Destroying it removes the device from the system.
class VirtualInputDevice {
 public:
  virtual ~VirtualInputDevice() = default;
  // Emits the events in order; the caller frames them with SYN_REPORT.
  virtual void write(std::span<const InputEvent> events) = 0;
  // Readable when clients sent events back to the device (LED and sound
  // state), or -1 when it never does.
  virtual int feedbackFd() const = 0;
  // The LED and sound events clients sent since the last call.
  virtual std::vector<InputEvent> readFeedback() = 0;
};

}  // namespace platform

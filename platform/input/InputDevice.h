#pragma once

#include <linux/input-event-codes.h>
#include <bitset>
#include <cstdint>
#include <memory>
#include <span>
#include <string>
#include <vector>

#include "platform/input/InputEvent.h"
#include "platform/input/VirtualInputDevice.h"

namespace platform {

// An opened evdev device. Used by one thread at a time.
class InputDevice {
 public:
  using KeyBits = std::bitset<KEY_CNT>;
  enum class ReadStatus { Ok, Gone };

  virtual ~InputDevice() = default;
  // Readable when events wait.
  virtual int fd() const = 0;
  virtual std::string name() const = 0;
  virtual bool canSendKey(std::uint16_t code) const = 0;
  // The keys down right now, as the kernel sees them.
  virtual KeyBits keysDown() = 0;
  // Takes the device for this process alone (or gives it back); false when
  // another process holds it.
  virtual bool setGrabbed(bool grabbed) = 0;
  // Appends every waiting event. After the kernel dropped events, appends the
  // changes that bring a reader's state up to date instead. Gone when the
  // device was removed or can no longer be read.
  virtual ReadStatus read(std::vector<InputEvent>& events) = 0;
  // Sends LED and sound state to the device.
  virtual void writeFeedback(std::span<const InputEvent> events) = 0;
  // A virtual device that can send every event this one sends, under `name`,
  // without auto-repeat of its own (this device's repeats are passed on).
  // Null when it cannot be made.
  virtual std::unique_ptr<VirtualInputDevice> createClone(const std::string& name) = 0;
};

}  // namespace platform

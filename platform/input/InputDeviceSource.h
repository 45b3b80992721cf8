#pragma once

#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "platform/input/InputDevice.h"

namespace platform {

// The system's input devices: enumeration, opening and hot-plug. After
// creation it is used by the tap's input thread only.
class InputDeviceSource {
 public:
  struct Change {
    enum class Kind { Added, Removed };
    Kind kind;
    std::string path;
  };

  virtual ~InputDeviceSource() = default;
  // Whether virtual input devices can be made (/dev/uinput opens for writing).
  virtual bool canCreateVirtualDevices() = 0;
  // The event device paths present now; nothing when they cannot be listed.
  virtual std::optional<std::vector<std::string>> enumerate() = 0;
  // Null when the device is gone or cannot be opened.
  virtual std::unique_ptr<InputDevice> open(const std::string& path) = 0;
  // Readable when devices were added or removed; -1 without hot-plug.
  virtual int changesFd() const = 0;
  virtual std::vector<Change> readChanges() = 0;
};

}  // namespace platform

#pragma once

namespace platform {

// Whether this process may take over the keyboard: read the keyboards' event
// devices and create virtual input devices.
class InputAccessQuery {
 public:
  virtual ~InputAccessQuery() = default;
  // Any call may be made on the main thread only. With `prompt`, a process
  // without access also tells the user how to grant it; the answer is the
  // same either way.
  virtual bool isProcessTrusted(bool prompt) = 0;
};

}  // namespace platform

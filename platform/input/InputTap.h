#pragma once

#include <functional>

#include "platform/keyservice-protocol/KeyReport.h"

namespace platform {

// The key service's hold on the keyboards. While it exists, the brightness
// keys are taken out of every keyboard's stream and each press is reported.
// Destroying it gives every device back: no key stays held down, and the
// events it had not yet handed out go on unchanged.
class InputTap {
 public:
  // Runs on the tap's own input thread, one press at a time in the order they
  // happened. Must not block: typing waits for it.
  using Callback = std::function<void(const KeyReport&)>;

  virtual ~InputTap() = default;
};

}  // namespace platform

#pragma once

#include <cstdint>
#include <functional>
#include <memory>

#include "platform/input/TapEvent.h"

namespace platform {

// An installed system-wide input tap. While it exists and is enabled, its
// callback sees every event of the requested types before applications do and
// decides whether it goes on. Destroying the tap removes it: every device it
// took over is given back, no key stays held down, and the events it had not
// yet handed out go on unchanged.
class InputTap {
 public:
  virtual ~InputTap() = default;
  // A disabled tap passes every event on without calling the callback.
  virtual void setEnabled(bool enabled) = 0;
};

class InputTapService {
 public:
  // Runs on the tap's own input thread, never on the main thread, one event
  // at a time in the order the events happened. Must not block: typing waits
  // for it.
  using Callback = std::function<TapVerdict(const TapEvent&)>;

  virtual ~InputTapService() = default;
  // Creates an enabled tap for the event types whose bits (1 << type) are set
  // in `eventMask`; events of other types pass without a call. Returns null
  // when no tap can be made (no access to the input devices).
  virtual std::unique_ptr<InputTap> createTap(std::uint64_t eventMask, Callback callback) = 0;
};

}  // namespace platform

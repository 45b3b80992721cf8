#pragma once

#include <cstdint>
#include <optional>
#include <vector>

#include "platform/input/InputDevice.h"
#include "platform/input/InputEvent.h"

namespace platform {

// What becomes of one key event.
enum class TapVerdict { Pass, Delete };

// Filters one grabbed device's event stream for its virtual clone, a frame
// (the events up to SYN_REPORT) at a time. A deleted key goes with the scan
// code reported just before it; a frame left empty is not emitted at all.
// Never leaves a key held on the clone: a release of a key the clone holds
// always passes, and keys the clone does not hold are never released or
// repeated on it.
class EvdevFrameFilter {
 public:
  // Decides the fate of one key event.
  template <typename Decide>
  void feed(const InputEvent& event, Decide&& decide, std::vector<InputEvent>& out);

  // The modifier keys down on the device, as of the events fed.
  const InputDevice::KeyBits& modifiersDown() const { return modifiersDown_; }
  // A frame that releases every key the clone holds (empty when none).
  std::vector<InputEvent> releaseHeldKeys();

 private:
  void feedKey(const InputEvent& key, TapVerdict verdict);
  void flushPendingScan();
  void endFrame(std::vector<InputEvent>& out);
  bool cloneAccepts(const InputEvent& key) const;

  std::vector<InputEvent> frame_;
  std::optional<InputEvent> pendingScan_;
  InputDevice::KeyBits heldOnClone_;
  InputDevice::KeyBits modifiersDown_;
};

template <typename Decide>
void EvdevFrameFilter::feed(const InputEvent& event, Decide&& decide,
                            std::vector<InputEvent>& out) {
  switch (event.type) {
    case EV_KEY:
      feedKey(event, decide(event));
      return;
    case EV_MSC:
      if (event.code == MSC_SCAN) {
        flushPendingScan();
        pendingScan_ = event;
        return;
      }
      break;
    case EV_SYN:
      if (event.code == SYN_REPORT) {
        endFrame(out);
        return;
      }
      if (event.code == SYN_DROPPED) {
        return;  // The device read already replaced the lost events.
      }
      break;
    default:
      break;
  }
  flushPendingScan();
  frame_.push_back(event);
}

}  // namespace platform

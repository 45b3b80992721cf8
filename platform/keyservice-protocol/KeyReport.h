#pragma once

namespace platform {

// One brightness-key press or auto-repeat, as the key service reports it:
// which way, and whether Shift and Alt were held for a fine step.
struct KeyReport {
  bool isUp = false;
  bool isFineGrained = false;

  bool operator==(const KeyReport&) const = default;
};

}  // namespace platform

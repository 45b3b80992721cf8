#pragma once

#include "platform/input/TapEvent.h"

// What the brightness-key tap does with one event.
struct TapEventClassification {
  enum class Verdict {
    Pass,
    Delete,
    // Delete the event and report one brightness step.
    ReportAndDelete,
    // The platform switched the tap off: switch it on again, pass the event.
    ReenableTapAndPass,
  };
  Verdict verdict = Verdict::Pass;
  bool isUp = false;
  bool isFineGrained = false;

  bool operator==(const TapEventClassification&) const = default;
};

// The classification rule: a pure function of the event's plain values.
TapEventClassification classifyTapEvent(const platform::TapEvent& event);

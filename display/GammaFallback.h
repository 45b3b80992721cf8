#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <set>
#include <string>
#include <vector>

#include "platform/gamma/GammaControl.h"

// Software dimming for a display that takes the level neither over DDC/CI
// nor through a backlight: its output (or, when no output is named, every
// lit output) is dimmed to L = max(level, 10) / 100 of its brightness, so
// even level 0 leaves the screen readable. When no output takes it (a
// compositor without gamma control), it says so once in the log.
class GammaFallback {
 public:
  explicit GammaFallback(std::shared_ptr<platform::GammaControl> gamma);

  // `level` is already clamped to 0–100; `outputName` as the display server
  // names the output, empty for every output.
  void dim(std::int64_t level, const std::string& outputName = {});

  // Puts full brightness back on what was dimmed under `outputName` once its
  // display has taken the level, so the monitor's own backlight is not
  // dimmed a second time in software.
  void restoreIfDimmed(const std::string& outputName = {});

  // What became of a level sent to a display's monitor.
  struct Result {
    std::string outputName;  // Empty when not known.
    std::int64_t level = 0;
    bool accepted = false;
    bool newest = false;  // Nothing newer was sent to it since.
  };
  // Lifts the dimming of each display that took its level and dims the one
  // whose newest level was refused. Monitors whose output is not known share
  // the dimming of every output, as when all displays share one level:
  // accepted when any of them took its level.
  void take(const std::vector<Result>& results);

 private:
  // Returns how many outputs took the fraction.
  std::size_t applyToOutputs(double fraction, const std::string& outputName);

  std::shared_ptr<platform::GammaControl> gamma_;
  std::set<std::string> dimmed_;
  bool toldNothingDims_ = false;
};

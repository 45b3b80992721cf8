#pragma once

#include <cstdint>
#include <vector>

namespace platform {

// Software dimming: the outputs that show a picture now, and each one's
// gamma scaled to a fraction of full brightness. Main thread only.
class GammaControl {
 public:
  virtual ~GammaControl() = default;

  // The outputs lit now, read afresh on every call.
  virtual std::vector<std::uint32_t> outputs() = 0;

  // Gives `output` a linear ramp from black to `fraction` (clamped to 0–1)
  // of full scale; 1 means not dimmed. True when the output took it.
  virtual bool setBrightness(std::uint32_t output, double fraction) = 0;
};

}  // namespace platform

#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace platform {

// Software dimming: the outputs that show a picture now, and each one's
// gamma scaled to a fraction of full brightness. Main thread only.
class GammaControl {
 public:
  virtual ~GammaControl() = default;

  // The outputs lit now, read afresh on every call.
  virtual std::vector<std::uint32_t> outputs() = 0;

  // The name of an output the last outputs() listed, as the Qt screen that
  // shows it calls itself (QScreen::name()): the XRandR output on X11, the
  // wl_output's name on Wayland, the connector on GNOME. Empty when unknown.
  virtual std::string outputName(std::uint32_t output) = 0;

  // Gives `output` a linear ramp from black to `fraction` (clamped to 0–1)
  // of full scale; 1 means not dimmed. True when the output took it.
  virtual bool setBrightness(std::uint32_t output, double fraction) = 0;
};

}  // namespace platform

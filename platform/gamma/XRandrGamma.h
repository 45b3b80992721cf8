#pragma once

#include <memory>
#include <string>

#include "platform/gamma/GammaControl.h"

namespace platform {

// Software dimming on X11: the outputs are the CRTCs that show a mode (ids
// are RandR CRTC ids; each is named after the first connected output it
// drives), each dimmed through its gamma ramp. The ramps as they were before
// the first change are put back when the application quits
// (QCoreApplication::aboutToQuit, which termination signals reach through
// TerminationSignals.h) or this object is destroyed. Without an X display
// (headless, Wayland without XWayland) there are no outputs, and that is not
// an error. Main thread only.
class XRandrGamma : public GammaControl {
 public:
  // `displayName` as XOpenDisplay takes it; empty means $DISPLAY. The
  // connection opens on first use.
  explicit XRandrGamma(std::string displayName = "");
  ~XRandrGamma() override;
  XRandrGamma(const XRandrGamma&) = delete;
  XRandrGamma& operator=(const XRandrGamma&) = delete;

  std::vector<std::uint32_t> outputs() override;
  std::string outputName(std::uint32_t output) override;
  // False without X, for an id that is not a CRTC with a gamma ramp, or
  // when the server refuses the ramp.
  bool setBrightness(std::uint32_t output, double fraction) override;

  // Puts back every changed ramp as it was before its first change.
  void restore();

 private:
  struct Impl;
  std::unique_ptr<Impl> impl_;
};

}  // namespace platform

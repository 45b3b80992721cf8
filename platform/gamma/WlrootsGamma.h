#pragma once

#include <memory>
#include <string>

#include "platform/gamma/GammaControl.h"

namespace platform {

// Software dimming on a wlroots compositor (sway and others) through its
// gamma-control protocol: the outputs are wl_outputs (ids are their registry
// names; names are what the compositor calls them), each dimmed through its
// three ramps. An output's gamma is held only while it is dimmed, since while
// one client holds it no other (a night-light program) may set it; full
// brightness lets go of it. The compositor itself puts each output's original
// ramps back when the control is let go: then, on quit
// (QCoreApplication::aboutToQuit, which termination signals reach through
// TerminationSignals.h), on destruction, or when the connection closes. Uses
// a connection of its own, so it works whichever Qt platform shows the
// windows. Main thread only.
class WlrootsGamma : public GammaControl {
 public:
  // Null when no compositor answers on `displayName` ($WAYLAND_DISPLAY when
  // empty) or it offers no gamma control.
  static std::unique_ptr<WlrootsGamma> connect(const std::string& displayName = "");
  ~WlrootsGamma() override;
  WlrootsGamma(const WlrootsGamma&) = delete;
  WlrootsGamma& operator=(const WlrootsGamma&) = delete;

  std::vector<std::uint32_t> outputs() override;
  std::string outputName(std::uint32_t output) override;
  // False for an output that is gone or whose gamma another client holds,
  // or when the compositor refuses the ramps or the connection is lost.
  bool setBrightness(std::uint32_t output, double fraction) override;

  // Lets go of every output's gamma, so the compositor restores it.
  void restore();

 private:
  struct Impl;
  explicit WlrootsGamma(std::unique_ptr<Impl> impl);
  std::unique_ptr<Impl> impl_;
};

}  // namespace platform

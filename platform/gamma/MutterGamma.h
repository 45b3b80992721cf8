#pragma once

#include <memory>
#include <string>

#include "platform/gamma/GammaControl.h"

namespace platform {

// Software dimming on GNOME through Mutter's display configuration on the
// session bus: the outputs are the CRTCs that show a mode (ids are Mutter's
// CRTC ids, names the connector each drives), each dimmed through its gamma
// ramps. Mutter keeps whatever ramps it was last given, so this object puts
// back each CRTC's ramps as they were before its first change: at full
// brightness, on quit (QCoreApplication::aboutToQuit, which termination
// signals reach through TerminationSignals.h) and on destruction. Main
// thread only.
class MutterGamma : public GammaControl {
 public:
  // Null when Mutter's display configuration is not on the session bus.
  static std::unique_ptr<MutterGamma> connect();
  ~MutterGamma() override;
  MutterGamma(const MutterGamma&) = delete;
  MutterGamma& operator=(const MutterGamma&) = delete;

  std::vector<std::uint32_t> outputs() override;
  std::string outputName(std::uint32_t output) override;
  // False for a CRTC that is gone or has no ramps, or when Mutter refuses.
  bool setBrightness(std::uint32_t output, double fraction) override;

  void restore();

 private:
  struct Impl;
  explicit MutterGamma(std::unique_ptr<Impl> impl);
  std::unique_ptr<Impl> impl_;
};

}  // namespace platform

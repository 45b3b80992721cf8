#pragma once

#include <memory>

#include "platform/DisplayTransferTables.h"

namespace platform {

// Software dimming on GNOME through Mutter's display configuration on the
// session bus: the active displays are the CRTCs that show a mode (ids are
// Mutter's CRTC ids), and a transfer table becomes the CRTC's gamma ramps.
// Mutter keeps whatever ramps it was last given, so this object puts back
// each CRTC's ramps as they were before its first change: for the full table
// {0, 1}, on quit (QCoreApplication::aboutToQuit, which termination signals
// reach through TerminationSignals.h) and on destruction. Main thread only.
class MutterGammaTransferTables : public DisplayTransferTables {
 public:
  // Null when Mutter's display configuration is not on the session bus.
  static std::unique_ptr<MutterGammaTransferTables> connect();
  ~MutterGammaTransferTables() override;
  MutterGammaTransferTables(const MutterGammaTransferTables&) = delete;
  MutterGammaTransferTables& operator=(const MutterGammaTransferTables&) = delete;

  std::int32_t getActiveDisplayList(std::uint32_t maxDisplays, std::uint32_t* displays,
                                    std::uint32_t& count) override;
  // Negative errno: -EINVAL for an empty or missing table, -ENODEV for a
  // CRTC that is gone or has no ramps, -EIO when Mutter refuses.
  std::int32_t setDisplayTransferByTable(std::uint32_t display, std::uint32_t tableSize,
                                         const float* red, const float* green,
                                         const float* blue) override;

  void restoreOriginalRamps();

 private:
  struct Impl;
  explicit MutterGammaTransferTables(std::unique_ptr<Impl> impl);
  std::unique_ptr<Impl> impl_;
};

}  // namespace platform

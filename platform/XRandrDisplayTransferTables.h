#pragma once

#include <memory>
#include <string>

#include "platform/DisplayTransferTables.h"

namespace platform {

// Software dimming on X11: the active displays are the CRTCs that show a mode
// (ids are RandR CRTC ids), and a transfer table becomes each CRTC's gamma
// ramp. The ramps as they were before the first change are put back when
// the application quits (QCoreApplication::aboutToQuit, which termination
// signals reach through TerminationSignals.h) or this object is destroyed.
// Without an X display (headless, Wayland without XWayland) there are no
// active displays, and that is not an error. Main thread only.
class XRandrDisplayTransferTables : public DisplayTransferTables {
 public:
  // `displayName` as XOpenDisplay takes it; empty means $DISPLAY. The
  // connection opens on first use.
  explicit XRandrDisplayTransferTables(std::string displayName = "");
  ~XRandrDisplayTransferTables() override;
  XRandrDisplayTransferTables(const XRandrDisplayTransferTables&) = delete;
  XRandrDisplayTransferTables& operator=(const XRandrDisplayTransferTables&) = delete;

  std::int32_t getActiveDisplayList(std::uint32_t maxDisplays, std::uint32_t* displays,
                                    std::uint32_t& count) override;
  // Negative errno: -EINVAL for an empty or missing table, -ENODEV without X
  // or for a display that is not a CRTC with a gamma ramp, -EIO when
  // the server refuses the ramp.
  std::int32_t setDisplayTransferByTable(std::uint32_t display, std::uint32_t tableSize,
                                         const float* red, const float* green,
                                         const float* blue) override;

  // Puts back every changed ramp as it was before its first change.
  void restoreOriginalRamps();

 private:
  struct Impl;
  std::unique_ptr<Impl> impl_;
};

}  // namespace platform

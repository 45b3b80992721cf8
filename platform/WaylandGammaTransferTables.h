#pragma once

#include <memory>
#include <string>

#include "platform/DisplayTransferTables.h"

namespace platform {

// Software dimming on a wlroots compositor (sway and others) through its
// gamma-control protocol: the active displays are the outputs (ids are their
// registry names), and a transfer table becomes the output's three ramps.
// An output's gamma is held only while it is dimmed, since while one client
// holds it no other (a night-light program) may set it; the full table
// {0, 1} lets go of it. The compositor itself puts each output's original
// ramps back when the control is let go: then, on quit
// (QCoreApplication::aboutToQuit, which termination signals reach through
// TerminationSignals.h), on destruction, or when the connection closes.
// Uses a connection of its own, so it works whichever Qt platform shows the
// windows. Main thread only.
class WaylandGammaTransferTables : public DisplayTransferTables {
 public:
  // Null when no compositor answers on `displayName` ($WAYLAND_DISPLAY when
  // empty) or it offers no gamma control.
  static std::unique_ptr<WaylandGammaTransferTables> connect(const std::string& displayName = "");
  ~WaylandGammaTransferTables() override;
  WaylandGammaTransferTables(const WaylandGammaTransferTables&) = delete;
  WaylandGammaTransferTables& operator=(const WaylandGammaTransferTables&) = delete;

  std::int32_t getActiveDisplayList(std::uint32_t maxDisplays, std::uint32_t* displays,
                                    std::uint32_t& count) override;
  // Negative errno: -EINVAL for an empty or missing table, -ENODEV for an
  // output that is gone or whose gamma another client holds, -EIO when the
  // compositor refuses the ramps or the connection is lost.
  std::int32_t setDisplayTransferByTable(std::uint32_t display, std::uint32_t tableSize,
                                         const float* red, const float* green,
                                         const float* blue) override;

  // Lets go of every output's gamma, so the compositor restores it.
  void restoreOriginalRamps();

 private:
  struct Impl;
  explicit WaylandGammaTransferTables(std::unique_ptr<Impl> impl);
  std::unique_ptr<Impl> impl_;
};

}  // namespace platform

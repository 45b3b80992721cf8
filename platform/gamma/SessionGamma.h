#pragma once

#include <memory>

#include "platform/gamma/GammaControl.h"

namespace platform {

// The way to dim in software that reaches this session's screens: XRandR
// gamma on X11; on Wayland (where XRandR reaches only Xwayland) the
// compositor's gamma control (wlroots) or display configuration (GNOME), or
// no outputs at all when it offers neither.
// Says on stderr which way it took on Wayland.
std::shared_ptr<GammaControl> sessionGamma();

}  // namespace platform

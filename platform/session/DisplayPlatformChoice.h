#pragma once

#include <functional>
#include <string>

namespace platform {

// What the process was started with, as far as reaching a display goes.
struct DisplayEnvironment {
  std::string qtPlatform;      // QT_QPA_PLATFORM
  std::string x11Display;      // DISPLAY
  std::string waylandDisplay;  // WAYLAND_DISPLAY
};

// Asks whether each way to a display works right now.
struct DisplayProbes {
  std::function<bool()> x11Answers;
  std::function<bool()> waylandAnswers;
  std::function<bool()> waylandPluginInstalled;
  std::function<bool()> waylandOffersLayerShell;
};

// The Qt platform to start on, or why there is none. `worthWaiting` says
// whether a display may still appear: a session's compositor can come up
// after its autostart entries run.
// `layerShell`: on Wayland, the compositor offers the layer shell, through
// which the popover and the HUD place themselves.
struct DisplayChoice {
  std::string qtPlatform;
  std::string problem;
  bool worthWaiting = false;
  bool layerShell = false;
};

// Picks where the popover and the HUD can place themselves: native Wayland
// when the compositor offers the layer shell (wlroots compositors, Plasma)
// and Qt's Wayland plugin is installed; otherwise X11 (on a Wayland desktop,
// Xwayland); native Wayland without the layer shell only when no X server
// answers. A platform the user named is kept, and only checked when it needs
// a display.
DisplayChoice chooseDisplayPlatform(const DisplayEnvironment& environment,
                                    const DisplayProbes& probes);

}  // namespace platform

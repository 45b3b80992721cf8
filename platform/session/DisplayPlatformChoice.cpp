#include "platform/session/DisplayPlatformChoice.h"

namespace platform {
namespace {

constexpr const char* kHowToStart =
    "start Glimmerbox from your desktop session (its menu or autostart), not from a text "
    "console or ssh";

DisplayChoice missing(std::string what, bool worthWaiting) {
  return {"", "glimmerbox: no display: " + what + "; " + kHowToStart, worthWaiting};
}

std::string silentDisplays(const DisplayEnvironment& environment) {
  std::string silent;
  if (!environment.x11Display.empty()) {
    silent = "no X server answers on DISPLAY=" + environment.x11Display;
  }
  if (!environment.waylandDisplay.empty()) {
    silent += silent.empty() ? "" : " and ";
    silent += "no compositor answers on WAYLAND_DISPLAY=" + environment.waylandDisplay;
  }
  return silent;
}

DisplayChoice chooseNamedPlatform(const DisplayEnvironment& environment,
                                  const DisplayProbes& probes) {
  const std::string& named = environment.qtPlatform;
  if (named == "xcb" && !probes.x11Answers()) {
    return missing(
        "QT_QPA_PLATFORM=xcb, but no X server answers on DISPLAY=" + environment.x11Display,
        !environment.x11Display.empty());
  }
  if (named == "wayland" && !probes.waylandAnswers()) {
    return missing("QT_QPA_PLATFORM=wayland, but no compositor answers on WAYLAND_DISPLAY=" +
                       environment.waylandDisplay,
                   !environment.waylandDisplay.empty());
  }
  return {named, "", false, named == "wayland" && probes.waylandOffersLayerShell()};
}

}  // namespace

DisplayChoice chooseDisplayPlatform(const DisplayEnvironment& environment,
                                    const DisplayProbes& probes) {
  if (!environment.qtPlatform.empty()) {
    return chooseNamedPlatform(environment, probes);
  }
  if (environment.x11Display.empty() && environment.waylandDisplay.empty()) {
    return missing("neither DISPLAY nor WAYLAND_DISPLAY is set", false);
  }
  const bool waylandAnswers = !environment.waylandDisplay.empty() && probes.waylandAnswers();
  if (waylandAnswers && probes.waylandPluginInstalled() && probes.waylandOffersLayerShell()) {
    return {"wayland", "", false, true};
  }
  if (!environment.x11Display.empty() && probes.x11Answers()) {
    return {"xcb", "", false};
  }
  if (waylandAnswers) {
    if (probes.waylandPluginInstalled()) {
      return {"wayland", "", false};
    }
    return {"",
            "glimmerbox: the Wayland session on WAYLAND_DISPLAY=" + environment.waylandDisplay +
                " has no X server (Xwayland) and Qt's Wayland plugin is not installed; enable "
                "Xwayland or install qt6-wayland",
            false};
  }
  return missing(silentDisplays(environment), true);
}

}  // namespace platform

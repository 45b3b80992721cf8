#pragma once

#include <QTimer>
#include <QVariantAnimation>
#include <cstdint>
#include <memory>
#include <string>

#include "hud/HudCapsule.h"
#include "platform/screens/Screens.h"

// The transient brightness panel near the bottom centre of a screen: the one
// of the display whose level changed, else the main screen.
// Each show brings it up (fading in over 0.15 s) and restarts a 1.4 s
// countdown, after which it fades out over 0.35 s and leaves the screen.
class BrightnessHUD {
 public:
  // The one instance, with the system's screens, created on first use.
  static std::shared_ptr<BrightnessHUD> shared();

  explicit BrightnessHUD(std::shared_ptr<platform::Screens> screens);

  // Shows `brightness` (percent, written unchanged) on the main thread, on
  // the screen of that output name (platform::Screen::outputName) when one
  // has it.
  void show(std::int64_t brightness, const std::string& outputName = {});

  QWidget& window() { return capsule_; }

 private:
  void place(const std::string& outputName);
  void fadeTo(double opacity, int milliseconds);
  void setOpacity(double opacity);
  void hide();

  std::shared_ptr<platform::Screens> screens_;
  HudCapsule capsule_;
  QTimer hideTimer_;
  QVariantAnimation fade_;
  // Qt's Wayland windows have no opacity: there the HUD shows and hides
  // without fading, at the same moments.
  double opacity_ = 0;
};

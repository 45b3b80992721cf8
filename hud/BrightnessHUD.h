#pragma once

#include <cstdint>
#include <memory>

#include "app/loop/Timer.h"
#include "app/ui/Coder.h"
#include "app/ui/ImageView.h"
#include "app/ui/Panel.h"
#include "app/ui/ProgressIndicator.h"
#include "app/ui/Screens.h"
#include "app/ui/TextField.h"
#include "app/ui/VisualEffectView.h"
#include "app/ui/WindowController.h"

// The transient brightness panel: a capsule near the bottom centre of the main
// screen with a sun, a level bar and the level in percent. Each show brings it
// up (fading in over 0.15 s) and restarts a 1.4 s countdown, after which it
// fades out over 0.35 s and leaves the screen. It never takes focus and shows
// on every desktop. Every view is built once, at construction.
class BrightnessHUD : public ui::WindowController {
 public:
  // The one instance, with the system's screens, created on first use.
  static std::shared_ptr<BrightnessHUD> shared();

  explicit BrightnessHUD(std::shared_ptr<ui::Screens> screens);
  // Never archived: stops the program.
  explicit BrightnessHUD(const ui::Coder& coder);
  // Builds its own window and takes none from outside: stops the program.
  explicit BrightnessHUD(std::shared_ptr<ui::Panel> window);
  ~BrightnessHUD() override;

  // Shows `brightness` (percent, written unchanged) on the main thread.
  void show(std::int64_t brightness);

 private:
  void buildPanel();
  void buildBackground();
  void buildIcon();
  void buildBar();
  void buildLabel();
  void place();
  void fadeIn();
  void hide();

  std::shared_ptr<ui::Screens> screens_;
  // Callbacks hold this weakly: they do nothing once the HUD is gone.
  std::shared_ptr<BrightnessHUD*> lifetime_;

  std::shared_ptr<loop::Timer> hideTimer;
  std::shared_ptr<ui::Panel> hudPanel;
  std::shared_ptr<ui::VisualEffectView> visualEffectView;
  std::shared_ptr<ui::ImageView> iconView;
  std::shared_ptr<ui::ProgressIndicator> progressView;
  std::shared_ptr<ui::TextField> percentageLabel;
};

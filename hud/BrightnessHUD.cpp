#include "hud/BrightnessHUD.h"

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "app/ui/AnimationContext.h"
#include "app/ui/CachedScreens.h"
#include "display/LevelText.h"

namespace {

constexpr ui::Rect kPanelRect{0, 0, 220, 50};
constexpr ui::Rect kIconFrame{14, 13, 24, 24};
constexpr ui::Rect kBarFrame{48, 20, 115, 10};
constexpr ui::Rect kLabelFrame{168, 15, 44, 18};
// Half the height, so both ends are semicircles.
constexpr double kCornerRadius = kPanelRect.height / 2;
constexpr double kBorderAlpha = 0.15;
constexpr double kBorderWidth = 1.0;
constexpr ui::SymbolConfiguration kIconSymbol{17.0, ui::FontWeight::Semibold};
constexpr double kBarMinimum = 0.0;
constexpr double kBarMaximum = 100.0;
constexpr ui::Font kLabelFont{12.0, ui::FontWeight::Semibold, true};
// Above the visible area's lower edge, clear of docks and panels.
constexpr double kDistanceFromBottom = 110.0;
constexpr double kFadeInSeconds = 0.15;
constexpr std::chrono::duration<double> kHoldTime(1.4);
constexpr double kFadeOutSeconds = 0.35;

[[noreturn]] void fatalError(const char* message) {
  std::fprintf(stderr, "Fatal error: %s\n", message);
  std::fflush(stderr);
  std::abort();
}

}  // namespace

std::shared_ptr<BrightnessHUD> BrightnessHUD::shared() {
  // Never destroyed, like every object that holds windows: Qt's X11 plugin
  // ends the process with exit() when the display goes away, after which
  // no window can be torn down.
  static const auto* const instance = new std::shared_ptr<BrightnessHUD>(
      std::make_shared<BrightnessHUD>(std::make_shared<ui::CachedScreens>(ui::systemScreens())));
  return *instance;
}

BrightnessHUD::BrightnessHUD(std::shared_ptr<ui::Screens> screens)
    : screens_(std::move(screens)), lifetime_(std::make_shared<BrightnessHUD*>(this)) {
  hideTimer.reset();
  buildPanel();
  buildBackground();
  buildIcon();
  buildBar();
  buildLabel();
  hudPanel->setContentView(visualEffectView);
  initWithWindow(hudPanel);
}

BrightnessHUD::BrightnessHUD(const ui::Coder&) {
  hideTimer.reset();
  fatalError("init(coder:) has not been implemented");
}

BrightnessHUD::BrightnessHUD(std::shared_ptr<ui::Panel>) {
  fatalError("init(window:) is not supported: BrightnessHUD builds its own panel");
}

BrightnessHUD::~BrightnessHUD() = default;

void BrightnessHUD::buildPanel() {
  hudPanel = std::make_shared<ui::Panel>(kPanelRect);
  hudPanel->setOpaque(false);
  hudPanel->setBackgroundColor(ui::Color::clear());
  hudPanel->setHasShadow(true);
  hudPanel->setLevel(ui::WindowLevel::Floating);
  hudPanel->setCollectionBehavior(ui::CollectionBehaviorCanJoinAllSpaces |
                                  ui::CollectionBehaviorStationary |
                                  ui::CollectionBehaviorIgnoresCycle);
  hudPanel->setAlphaValue(0.0);
}

void BrightnessHUD::buildBackground() {
  visualEffectView = std::make_shared<ui::VisualEffectView>(kPanelRect);
  visualEffectView->setMaterial(ui::VisualEffectMaterial::HudWindow);
  visualEffectView->setState(ui::VisualEffectState::Active);
  visualEffectView->setBlendingMode(ui::VisualEffectBlendingMode::BehindWindow);
  visualEffectView->setWantsLayer(true);
  if (ui::Layer* layer = visualEffectView->layer()) {
    layer->setCornerRadius(kCornerRadius);
    layer->setMasksToBounds(true);
    layer->setBorderColor(ui::Color::white().withAlphaComponent(kBorderAlpha));
    layer->setBorderWidth(kBorderWidth);
  }
}

void BrightnessHUD::buildIcon() {
  iconView = std::make_shared<ui::ImageView>(kIconFrame);
  if (auto sun = ui::Image::systemSymbol("sun.max.fill", "Brightness")) {
    iconView->setImage(sun->withSymbolConfiguration(kIconSymbol));
  }
  iconView->setContentTintColor(ui::Color::white());
  visualEffectView->addSubview(iconView);
}

void BrightnessHUD::buildBar() {
  progressView = std::make_shared<ui::ProgressIndicator>(kBarFrame);
  progressView->setMinValue(kBarMinimum);
  progressView->setMaxValue(kBarMaximum);
  progressView->setWantsLayer(true);
  visualEffectView->addSubview(progressView);
}

void BrightnessHUD::buildLabel() {
  percentageLabel = std::make_shared<ui::TextField>(kLabelFrame);
  percentageLabel->setBackgroundColor(ui::Color::clear());
  percentageLabel->setTextColor(ui::Color::white());
  percentageLabel->setFont(kLabelFont);
  percentageLabel->setAlignment(ui::TextAlignment::Right);
  percentageLabel->setStringValue("100%");
  visualEffectView->addSubview(percentageLabel);
}

void BrightnessHUD::show(std::int64_t brightness) {
  progressView->setDoubleValue(static_cast<double>(brightness));
  percentageLabel->setStringValue(levelText(brightness));
  place();
  hudPanel->orderFrontRegardless();
  if (hideTimer) {
    hideTimer->invalidate();
  }
  fadeIn();
  std::weak_ptr<BrightnessHUD*> weak = lifetime_;
  hideTimer = loop::Timer::scheduled(kHoldTime, false, [weak](loop::Timer&) {
    if (auto self = weak.lock()) {
      (*self)->hide();
    }
  });
}

void BrightnessHUD::place() {
  std::optional<ui::Screen> main = screens_->mainScreen();
  if (!main) {
    return;  // Keeps the origin it had.
  }
  const ui::Rect& visible = main->visibleFrame;
  const double width = hudPanel->frame().width;
  hudPanel->setFrameOrigin(
      {visible.x + (visible.width - width) * 0.5, visible.y + kDistanceFromBottom});
}

void BrightnessHUD::fadeIn() {
  ui::AnimationContext::runAnimationGroup([this](ui::AnimationContext& context) {
    context.setDuration(kFadeInSeconds);
    hudPanel->animator().setAlphaValue(1.0);
  });
}

void BrightnessHUD::hide() {
  std::weak_ptr<BrightnessHUD*> weak = lifetime_;
  ui::AnimationContext::runAnimationGroup(
      [this](ui::AnimationContext& context) {
        context.setDuration(kFadeOutSeconds);
        hudPanel->animator().setAlphaValue(0.0);
      },
      [weak] {
        auto self = weak.lock();
        // A show during the fade brought the alpha back; its own timer hides.
        if (self && (*self)->hudPanel->alphaValue() == 0.0) {
          (*self)->hudPanel->orderOut();
        }
      });
}

#include "hud/BrightnessHUD.h"

#include <QGuiApplication>
#include <cmath>

#include "platform/popup/LayerShell.h"
#include "platform/screens/CachedScreens.h"

namespace {

// Above the visible area's lower edge, clear of docks and panels.
constexpr int kDistanceFromBottom = 110;
constexpr int kFadeInMilliseconds = 150;
constexpr int kHoldMilliseconds = 1400;
constexpr int kFadeOutMilliseconds = 350;

void placeOnLayerShell(QWidget& window) {
  if (platform::LayerShell* shell = platform::LayerShell::instance();
      shell != nullptr && window.isVisible()) {
    shell->placeAt(*window.windowHandle(), window.geometry(), {.overlay = true});
  }
}

}  // namespace

std::shared_ptr<BrightnessHUD> BrightnessHUD::shared() {
  // Never destroyed, like every object that holds windows: Qt's X11 plugin
  // ends the process with exit() when the display goes away, after which
  // no window can be torn down.
  static const auto* const instance =
      new std::shared_ptr<BrightnessHUD>(std::make_shared<BrightnessHUD>(
          std::make_shared<platform::CachedScreens>(platform::systemScreens())));
  return *instance;
}

BrightnessHUD::BrightnessHUD(std::shared_ptr<platform::Screens> screens)
    : screens_(std::move(screens)) {
  setOpacity(0);
  hideTimer_.setSingleShot(true);
  hideTimer_.setTimerType(Qt::PreciseTimer);
  hideTimer_.setInterval(kHoldMilliseconds);
  QObject::connect(&hideTimer_, &QTimer::timeout, [this] { fadeTo(0, kFadeOutMilliseconds); });
  fade_.setEasingCurve(QEasingCurve::InOutQuad);
  QObject::connect(&fade_, &QVariantAnimation::valueChanged,
                   [this](const QVariant& value) { setOpacity(value.toDouble()); });
  // Only a fade that ran to its end gets here: a show stops the fade-out.
  QObject::connect(&fade_, &QVariantAnimation::finished, [this] {
    setOpacity(fade_.endValue().toDouble());
    if (opacity_ == 0) {
      hide();
    }
  });
}

void BrightnessHUD::show(std::int64_t brightness, const std::string& outputName) {
  capsule_.setLevel(brightness);
  place(outputName);
  if (!capsule_.isVisible()) {
    capsule_.show();  // A newly mapped window comes up on top.
    placeOnLayerShell(capsule_);
  } else {
    capsule_.raise();
  }
  fadeTo(1, kFadeInMilliseconds);
  hideTimer_.start();
}

void BrightnessHUD::place(const std::string& outputName) {
  std::optional<platform::Screen> main = screens_->mainScreen();
  if (!outputName.empty()) {
    for (const platform::Screen& screen : screens_->screens()) {
      if (screen.outputName == outputName) {
        main = screen;
      }
    }
  }
  if (!main) {
    return;  // Keeps the place it had.
  }
  const platform::Rect& visible = main->visibleFrame;
  const double x = visible.x + (visible.width - capsule_.width()) * 0.5;
  const double y = visible.y + visible.height - kDistanceFromBottom - capsule_.height();
  capsule_.move(static_cast<int>(std::lround(x)), static_cast<int>(std::lround(y)));
  placeOnLayerShell(capsule_);
}

void BrightnessHUD::fadeTo(double opacity, int milliseconds) {
  fade_.stop();
  fade_.setStartValue(opacity_);
  fade_.setEndValue(opacity);
  fade_.setDuration(milliseconds);
  fade_.start();
}

void BrightnessHUD::setOpacity(double opacity) {
  opacity_ = opacity;
  if (QGuiApplication::platformName() != "wayland") {
    capsule_.setWindowOpacity(opacity);
  }
}

void BrightnessHUD::hide() {
  if (platform::LayerShell* shell = platform::LayerShell::instance(); shell != nullptr) {
    shell->release(*capsule_.windowHandle());
  }
  capsule_.hide();
}

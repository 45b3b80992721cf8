#include "popover/MenuBarViewController.h"

#include <QCheckBox>
#include <QCoreApplication>
#include <QMetaObject>
#include <QSignalBlocker>
#include <QSlider>
#include <algorithm>
#include <cmath>
#include <string>

#include "display/DisplayManager.h"
#include "display/LevelText.h"
#include "hud/BrightnessHUD.h"
#include "keys/KeyboardInterceptor.h"
#include "platform/desktop/XdgAutostartLoginItem.h"
#include "platform/loop/Log.h"
#include "popover/PopoverControls.h"
#include "popover/PopoverLayout.h"
#include "popover/PopoverView.h"

namespace layout = popover_layout;
using popover_controls::button;
using popover_controls::font;
using popover_controls::label;
using popover_controls::textColour;

namespace {

// Qt sliders hold whole numbers; this many steps across 0 to 100 % lets a
// drag land between whole levels (49.5).
constexpr int kSliderPositions = 10000;
QFont titleFont() { return font(13, QFont::DemiBold); }

// The recessed presets sit flat in their row and show a soft well under the
// pointer and while pressed.
constexpr char kPresetStyle[] =
    "QPushButton { border: none; border-radius: 5px; padding: 0px;"
    " background: rgba(128, 128, 128, 36); }"
    "QPushButton:hover { background: rgba(128, 128, 128, 64); }"
    "QPushButton:pressed { background: rgba(128, 128, 128, 96); }";

QString levelString(std::int64_t level) { return QString::fromStdString(levelText(level)); }

MenuBarViewController::Dependencies sharedDependencies() {
  return {
      DisplayManager::shared(),
      KeyboardInterceptor::shared(),
      std::make_shared<platform::XdgAutostartLoginItem>(
          platform::XdgAutostartLoginItem::userEntryPath(),
          platform::XdgAutostartLoginItem::runningExecutable()),
      [](std::int64_t level) { BrightnessHUD::shared()->show(level); },
      // Queued, so it reaches a loop that is not running yet.
      [] {
        QMetaObject::invokeMethod(QCoreApplication::instance(), &QCoreApplication::quit,
                                  Qt::QueuedConnection);
      },
  };
}

}  // namespace

MenuBarViewController::MenuBarViewController() : MenuBarViewController(sharedDependencies()) {}

MenuBarViewController::MenuBarViewController(Dependencies dependencies)
    : displayManager_(std::move(dependencies.displayManager)),
      keyboardInterceptor_(std::move(dependencies.keyboardInterceptor)),
      loginItems_(std::move(dependencies.loginItems)),
      showHud_(std::move(dependencies.showHud)),
      terminate_(std::move(dependencies.terminate)) {}

MenuBarViewController::~MenuBarViewController() = default;

QWidget* MenuBarViewController::view() {
  if (!rootView_) {
    loadView();
  }
  return rootView_.get();
}

void MenuBarViewController::loadView() {
  rootView_ = std::make_unique<PopoverView>();
  addTitleRow();
  addSliderRow();
  addPresetRow();
  addCheckboxRow();
  addPermissionBanner();
  addBottomRow();
  updateDisplayInfo();
  updatePermissionBanner(keyboardInterceptor_->isTrusted());
  updateLaunchAtLoginState();
}

void MenuBarViewController::addTitleRow() {
  titleLabel_ = label(rootView_.get(), layout::kTitleLabel, {}, titleFont(), textColour());
  percentLabel_ = label(rootView_.get(), layout::kPercentLabel, {}, font(13, QFont::Bold),
                        textColour(), Qt::AlignRight);
}

void MenuBarViewController::addSliderRow() {
  slider_ = new QSlider(Qt::Horizontal, rootView_.get());
  slider_->setGeometry(layout::kSlider);
  slider_->setRange(0, kSliderPositions);
  QObject::connect(slider_, &QSlider::valueChanged,
                   [this](int position) { sliderChanged(position); });
}

void MenuBarViewController::addPresetRow() {
  QRect frame = layout::kFirstPreset;
  for (const std::int64_t level : layout::kPresetLevels) {
    QPushButton* preset =
        button(rootView_.get(), frame, levelString(level), font(11, QFont::Medium));
    preset->setStyleSheet(kPresetStyle);
    QObject::connect(preset, &QPushButton::clicked, [this, level] { presetClicked(level); });
    frame.translate(layout::kPresetStep, 0);
  }
}

void MenuBarViewController::addCheckboxRow() {
  launchAtLoginCheckbox_ = new QCheckBox(QStringLiteral("Start on login"), rootView_.get());
  launchAtLoginCheckbox_->setGeometry(layout::kCheckbox);
  launchAtLoginCheckbox_->setFont(font(12, QFont::Normal));
  launchAtLoginCheckbox_->setFocusPolicy(Qt::NoFocus);
  QObject::connect(launchAtLoginCheckbox_, &QCheckBox::clicked,
                   [this](bool checked) { setLaunchesAtLogin(checked); });
  label(rootView_.get(), layout::kHintLabel, QStringLiteral("Keys: 🔅 / 🔆"), font(11, QFont::Medium),
        textColour(popover_controls::kSecondaryAlpha), Qt::AlignRight);
}

void MenuBarViewController::addPermissionBanner() {
  // Wider desktop fonts than the layout was drawn for would cut a letter in
  // half at the Grant button; an ellipsis reads as intended.
  const QFont warningFont = font(10, QFont::Medium);
  warningLabel_ = label(rootView_.get(), layout::kWarningLabel, {}, warningFont, textColour());
  popover_controls::showFitted(*warningLabel_, QStringLiteral("Key control requires access"),
                               warningFont);
  permissionButton_ = button(rootView_.get(), layout::kPermissionButton, QStringLiteral("Grant"),
                             font(11, QFont::Normal));
  QObject::connect(permissionButton_, &QPushButton::clicked, [this] { grantPermissionClicked(); });
}

void MenuBarViewController::addBottomRow() {
  quitBtn_ = button(rootView_.get(), layout::kQuitButton, QStringLiteral("Quit Glimmerbox"),
                    font(11, QFont::Normal));
  QObject::connect(quitBtn_, &QPushButton::clicked, [this] { quitClicked(); });
  versionLabel_ = label(rootView_.get(), layout::kVersionLabel, QStringLiteral("Glimmerbox v1.0"),
                        font(11, QFont::Normal), textColour(popover_controls::kTertiaryAlpha));
}

void MenuBarViewController::updateDisplayInfo() {
  displayManager_->detectMonitorName();
  if (titleLabel_) {
    popover_controls::showFitted(*titleLabel_, QString::fromStdString(displayManager_->monitorName),
                                 titleFont());
  }
  updateBrightnessUI(displayManager_->currentBrightness);
  updateLaunchAtLoginState();
}

void MenuBarViewController::updatePermissionBanner(bool isTrusted) {
  // Build first: building applies the interceptor's state, which this
  // report may already have overtaken.
  view();
  rootView_->setBannerShown(!isTrusted);
  warningLabel_->setVisible(!isTrusted);
  permissionButton_->setVisible(!isTrusted);
  const QPoint drop(0, rootView_->height() - layout::kHeightWithAccess);
  quitBtn_->move(layout::kQuitButton.topLeft() + drop);
  versionLabel_->move(layout::kVersionLabel.topLeft() + drop);
}

void MenuBarViewController::updateLaunchAtLoginState() {
  if (launchAtLoginCheckbox_) {
    launchAtLoginCheckbox_->setChecked(launchesAtLogin());
  }
}

void MenuBarViewController::updateBrightnessUI(std::int64_t level) {
  if (slider_) {
    const QSignalBlocker fromCode(slider_);
    const double share = std::clamp(static_cast<double>(level) / 100, 0.0, 1.0);
    slider_->setValue(static_cast<int>(std::lround(share * kSliderPositions)));
  }
  if (percentLabel_) {
    percentLabel_->setText(levelString(level));
  }
}

void MenuBarViewController::sliderChanged(int position) {
  // std::llround takes halves away from zero: 49.5 is 50, 49.49 is 49.
  const std::int64_t level = std::llround(100.0 * position / kSliderPositions);
  displayManager_->setBrightness(level);
  percentLabel_->setText(levelString(level));
}

void MenuBarViewController::presetClicked(std::int64_t level) {
  displayManager_->setBrightness(level);
  updateBrightnessUI(level);
  showHud_(level);
}

bool MenuBarViewController::launchesAtLogin() const {
  return loginItems_->status() == platform::LoginItemService::Status::enabled;
}

void MenuBarViewController::setLaunchesAtLogin(bool turnOn) {
  const auto error = turnOn ? loginItems_->registerItem() : loginItems_->unregisterItem();
  if (error) {
    platform::logLine("[Glimmerbox] Error toggling launch at login: " + error->description);
  } else {
    platform::logLine(turnOn ? "[Glimmerbox] Successfully registered launch at login"
                             : "[Glimmerbox] Successfully unregistered launch at login");
  }
  updateLaunchAtLoginState();
}

void MenuBarViewController::grantPermissionClicked() {
  keyboardInterceptor_->openAccessibilityPreferences();
}

void MenuBarViewController::quitClicked() { terminate_(); }

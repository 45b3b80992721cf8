#include "popover/MenuBarViewController.h"

#include <QCheckBox>
#include <QCoreApplication>
#include <QMetaObject>
#include <algorithm>
#include <string>

#include "display/DisplayManager.h"
#include "display/LevelText.h"
#include "hud/BrightnessHUD.h"
#include "keys/KeyboardInterceptor.h"
#include "platform/desktop/XdgAutostartLoginItem.h"
#include "platform/loop/Log.h"
#include "popover/DisplayRow.h"
#include "popover/PopoverControls.h"
#include "popover/PopoverLayout.h"
#include "popover/PopoverView.h"

namespace layout = popover_layout;
using popover_controls::button;
using popover_controls::font;
using popover_controls::label;
using popover_controls::textColour;

namespace {

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
  rows_.push_back(std::make_unique<DisplayRow>(rootView_.get(), 0, [this](std::int64_t level) {
    rowPerDisplay() ? displayManager_->setBrightness(rowDisplays_.front(), level)
                    : displayManager_->setBrightness(level);
  }));
  addPresetRow();
  addCheckboxRow();
  addPermissionBanner();
  addBottomRow();
  updateDisplayInfo();
  updatePermissionBanner(keyboardInterceptor_->isTrusted());
  updateLaunchAtLoginState();
}

void MenuBarViewController::addPresetRow() {
  QRect frame = layout::kFirstPreset;
  for (const std::int64_t level : layout::kPresetLevels) {
    QPushButton* preset =
        button(rootView_.get(), frame, levelString(level), font(11, QFont::Medium));
    preset->setStyleSheet(kPresetStyle);
    lowerControls_.emplace_back(preset, frame.topLeft());
    QObject::connect(preset, &QPushButton::clicked, [this, level] { presetClicked(level); });
    frame.translate(layout::kPresetStep, 0);
  }
}

void MenuBarViewController::addCheckboxRow() {
  launchAtLoginCheckbox_ = new QCheckBox(QStringLiteral("Start on login"), rootView_.get());
  launchAtLoginCheckbox_->setGeometry(layout::kCheckbox);
  lowerControls_.emplace_back(launchAtLoginCheckbox_, layout::kCheckbox.topLeft());
  launchAtLoginCheckbox_->setFont(font(12, QFont::Normal));
  launchAtLoginCheckbox_->setFocusPolicy(Qt::NoFocus);
  QObject::connect(launchAtLoginCheckbox_, &QCheckBox::clicked,
                   [this](bool checked) { setLaunchesAtLogin(checked); });
  QLabel* hint =
      label(rootView_.get(), layout::kHintLabel, QStringLiteral("Keys: 🔅 / 🔆"),
            font(11, QFont::Medium), textColour(popover_controls::kSecondaryAlpha), Qt::AlignRight);
  lowerControls_.emplace_back(hint, layout::kHintLabel.topLeft());
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
  lowerControls_.emplace_back(warningLabel_, layout::kWarningLabel.topLeft());
  lowerControls_.emplace_back(permissionButton_, layout::kPermissionButton.topLeft());
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
  if (rootView_) {
    showDisplayRows();
  }
  updateBrightnessUI(displayManager_->currentBrightness);
  updateLaunchAtLoginState();
}

bool MenuBarViewController::rowPerDisplay() const { return !rowDisplays_.empty(); }

// A row per display while they keep levels of their own (and are more than
// one), else the one row for all of them under the monitor's name.
void MenuBarViewController::showDisplayRows() {
  const std::vector<ControlledDisplay>& displays = displayManager_->displays();
  std::vector<std::string> ids;
  if (displayManager_->levelsPerDisplay() && displays.size() > 1) {
    for (const ControlledDisplay& display : displays) {
      ids.push_back(display.id);
    }
  }
  rowDisplays_ = ids;
  const std::size_t rowCount = std::max<std::size_t>(ids.size(), 1);
  rows_.resize(std::min(rows_.size(), rowCount));
  while (rows_.size() < rowCount) {
    const std::size_t index = rows_.size();
    rows_.push_back(std::make_unique<DisplayRow>(
        rootView_.get(), static_cast<int>(index), [this, index](std::int64_t level) {
          displayManager_->setBrightness(rowDisplays_.at(index), level);
        }));
  }
  for (std::size_t i = 0; i < rowCount; ++i) {
    rows_[i]->showName(
        QString::fromStdString(ids.empty() ? displayManager_->monitorName : displays[i].name));
  }
  rootView_->setDisplayRows(static_cast<int>(rowCount));
  placeLowerRows();
}

void MenuBarViewController::updatePermissionBanner(bool isTrusted) {
  // Build first: building applies the interceptor's state, which this
  // report may already have overtaken.
  view();
  rootView_->setBannerShown(!isTrusted);
  warningLabel_->setVisible(!isTrusted);
  permissionButton_->setVisible(!isTrusted);
  placeLowerRows();
}

// The rows under the sliders move down with every further display row; quit
// and the version keep their distance from the lower edge.
void MenuBarViewController::placeLowerRows() {
  const QPoint down(0, rootView_->rowsHeight());
  for (const auto& [control, place] : lowerControls_) {
    control->move(place + down);
  }
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
  if (!rowPerDisplay()) {
    if (!rows_.empty()) {
      rows_.front()->showLevel(level);
    }
    return;
  }
  const std::vector<ControlledDisplay>& displays = displayManager_->displays();
  for (std::size_t i = 0; i < rows_.size() && i < rowDisplays_.size(); ++i) {
    const auto display = std::find_if(displays.begin(), displays.end(), [&](const auto& shown) {
      return shown.id == rowDisplays_[i];
    });
    if (display != displays.end()) {
      rows_[i]->showLevel(display->level);
    }
  }
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

#include "app/AppDelegate.h"

#include <cstdio>

#include "app/MonitorSunIcon.h"
#include "display/LevelText.h"
#include "hud/BrightnessHUD.h"
#include "platform/desktop/DesktopNotification.h"
#include "platform/screens/Screens.h"

namespace {

// Brightness steps in percent: a coarse step, and a fine one with Shift+Alt.
constexpr std::int64_t coarseStep = 6;
constexpr std::int64_t fineStep = 2;

// Stock GNOME shows no tray; its AppIndicator extension adds one.
void reportNoTrayToUser() {
  std::fputs(
      "glimmerbox: no system tray on this desktop, so no icon; start glimmerbox again to open "
      "its popover (on GNOME, enable the AppIndicator extension, "
      "gnome-shell-extension-appindicator, for the icon)\n",
      stderr);
  platform::DesktopNotification::show(
      "Glimmerbox runs without a tray icon",
      "This desktop shows no system tray. Start Glimmerbox again from the menu to open its "
      "controls. On GNOME, install and enable the AppIndicator extension "
      "(gnome-shell-extension-appindicator) to get its icon.");
}

}  // namespace

std::weak_ptr<AppDelegate> AppDelegate::shared;

AppDelegate::Components AppDelegate::Components::system() {
  // Braced initialisation runs in order: display manager, key interceptor, HUD.
  return Components{
      .displayManager = DisplayManager::shared(),
      .keyboardInterceptor = KeyboardInterceptor::shared(),
      .showHud = [hud = BrightnessHUD::shared()](
                     std::int64_t level,
                     const std::string& outputName) { hud->show(level, outputName); },
      .outputUnderPointer = [] { return platform::systemScreens()->outputUnderPointer(); },
      .makeStatusItem = platform::makeSystemStatusItem,
      .reportNoTray = reportNoTrayToUser,
      .makePopover = platform::makePopoverWindow,
      .makeMenuBarViewController = [] { return std::make_shared<MenuBarViewController>(); },
  };
}

AppDelegate::AppDelegate() : AppDelegate(Components::system()) {}

AppDelegate::AppDelegate(Components components)
    : displayManager_(std::move(components.displayManager)),
      keyboardInterceptor_(std::move(components.keyboardInterceptor)),
      showHud_(std::move(components.showHud)),
      outputUnderPointer_(std::move(components.outputUnderPointer)),
      makeStatusItem_(std::move(components.makeStatusItem)),
      reportNoTray_(std::move(components.reportNoTray)),
      makePopover_(std::move(components.makePopover)),
      makeMenuBarViewController_(std::move(components.makeMenuBarViewController)) {}

void AppDelegate::applicationDidFinishLaunching() {
  shared = weak_from_this();
  createStatusItem();
  createPopover();
  menuBarVC = makeMenuBarViewController_();
  popover->setContentView(menuBarVC->view());
  keyboardInterceptor_->delegate = weak_from_this();
  observeScreenChanges();
  connectLevelCallback();
  // Last: its report reaches the popover at once, so everything above must exist.
  keyboardInterceptor_->checkAndRequestPermissions();
}

void AppDelegate::createStatusItem() {
  statusItem = makeStatusItem_();
  setUpStatusButton();
  statusItem->setTrayChanged([weakSelf = weak_from_this()] {
    if (auto self = weakSelf.lock()) {
      self->setUpStatusButton();
    }
  });
}

// At launch, and again whenever a tray appears: the button is new then.
void AppDelegate::setUpStatusButton() {
  platform::StatusBarButton* button = statusItem->button();
  if (button == nullptr) {
    reportNoTray_();
    return;
  }
  button->setImage(createMonitorSunIcon());
  button->setAction([weakSelf = weak_from_this()] {
    if (auto self = weakSelf.lock()) {
      self->togglePopover();
    }
  });
  // A turn of the wheel over the icon is a coarse step, like a key press.
  button->setScrollAction([weakSelf = weak_from_this()](bool up) {
    if (auto self = weakSelf.lock()) {
      self->didChangeBrightness(up, false);
    }
  });
  button->setMenu(menuEntries());
  updateToolTip();
}

std::vector<platform::StatusMenuEntry> AppDelegate::menuEntries() {
  auto onSelf = [weakSelf = weak_from_this()](auto operation) {
    return [weakSelf, operation] {
      if (auto self = weakSelf.lock()) {
        ((*self).*operation)();
      }
    };
  };
  auto launchesAtLogin = [weakSelf = weak_from_this()] {
    auto self = weakSelf.lock();
    return self && self->menuBarVC && self->menuBarVC->launchesAtLogin();
  };
  return {{"Open", nullptr, onSelf(&AppDelegate::showPopover)},
          {"Start on Login", launchesAtLogin, onSelf(&AppDelegate::toggleLaunchAtLogin)},
          {"Quit", nullptr, onSelf(&AppDelegate::quit)}};
}

void AppDelegate::toggleLaunchAtLogin() {
  menuBarVC->setLaunchesAtLogin(!menuBarVC->launchesAtLogin());
}

void AppDelegate::quit() { menuBarVC->quitClicked(); }

// A line per display while each keeps its own level.
void AppDelegate::updateToolTip() {
  platform::StatusBarButton* button = statusItem->button();
  if (button == nullptr) {
    return;
  }
  if (!displayManager_->levelsPerDisplay()) {
    button->setToolTip(displayManager_->monitorName + ": " +
                       levelText(displayManager_->currentBrightness));
    return;
  }
  std::string lines;
  for (const ControlledDisplay& display : displayManager_->displays()) {
    lines += (lines.empty() ? "" : "\n") + display.name + ": " + levelText(display.level);
  }
  button->setToolTip(lines);
}

void AppDelegate::createPopover() { popover = makePopover_(); }

void AppDelegate::observeScreenChanges() {
  screenObserver_ = std::make_unique<loop::ScreenParametersObserver>([weakSelf = weak_from_this()] {
    if (auto self = weakSelf.lock()) {
      self->screensChanged();
    }
  });
}

void AppDelegate::connectLevelCallback() {
  displayManager_->onBrightnessChanged = [weakSelf = weak_from_this()](std::int64_t level) {
    if (auto self = weakSelf.lock()) {
      self->menuBarVC->updateBrightnessUI(level);
      self->updateToolTip();
      for (const auto& observer : self->levelObservers_) {
        observer(level);
      }
    }
  };
}

void AppDelegate::setBrightnessLevel(std::int64_t level) {
  displayManager_->setBrightness(level);
  showHud_(displayManager_->currentBrightness, {});
}

std::int64_t AppDelegate::brightnessLevel() const { return displayManager_->currentBrightness; }

void AppDelegate::addLevelObserver(std::function<void(std::int64_t level)> observer) {
  levelObservers_.push_back(std::move(observer));
}

// The display under the pointer alone, where the session tells which one
// that is; else every display.
void AppDelegate::didChangeBrightness(bool isUp, bool isFineGrained) {
  const std::int64_t step = isFineGrained ? fineStep : coarseStep;
  const std::int64_t delta = isUp ? step : -step;
  if (std::optional<ControlledDisplay> display = displayUnderPointer()) {
    displayManager_->stepBrightness(display->id, delta);
    showHud_(displayManager_->currentBrightness, display->outputName);
    return;
  }
  displayManager_->stepBrightness(delta);
  showHud_(displayManager_->currentBrightness, {});
}

std::optional<ControlledDisplay> AppDelegate::displayUnderPointer() const {
  if (!displayManager_->levelsPerDisplay() || !outputUnderPointer_) {
    return std::nullopt;
  }
  const std::optional<std::string> output = outputUnderPointer_();
  for (const ControlledDisplay& display : displayManager_->displays()) {
    if (output && display.outputName == *output) {
      return display;
    }
  }
  return std::nullopt;
}

void AppDelegate::didUpdatePermissionStatus(bool isTrusted) {
  menuBarVC->updatePermissionBanner(isTrusted);
}

void AppDelegate::togglePopover() {
  if (popover->isShown()) {
    popover->performClose();
    return;
  }
  openPopover();
}

bool AppDelegate::showPopover() {
  if (!popover) {
    return false;
  }
  // Closed and opened again, so it comes forward with the focus.
  popover->performClose();
  openPopover();
  return popover->isShown();
}

void AppDelegate::openPopover() {
  menuBarVC->updateDisplayInfo();
  menuBarVC->updatePermissionBanner(keyboardInterceptor_->isTrusted());
  if (platform::StatusBarButton* button = statusItem->button()) {
    popover->showRelativeTo(*button);
  } else {
    popover->showAsWindow();
  }
  popover->takeFocus();
}

void AppDelegate::screensChanged() {
  displayManager_->detectMonitorName();
  menuBarVC->updateDisplayInfo();
  updateToolTip();
}

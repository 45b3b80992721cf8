#pragma once

#include <QPoint>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "platform/desktop/LoginItemService.h"

class DisplayManager;
class DisplayRow;
class KeyboardInterceptor;
class PopoverView;
class QCheckBox;
class QLabel;
class QPushButton;

class QWidget;

// The content of the popover under the tray icon: the monitor's name and
// level and the slider (a row of them for each display while displays keep
// levels of their own), four presets, start-on-login, the input-access
// banner and quit. It shows state owned elsewhere and turns clicks and drags into
// calls on those owners. Everything runs on the main thread.
class MenuBarViewController {
 public:
  struct Dependencies {
    std::shared_ptr<DisplayManager> displayManager;
    std::shared_ptr<KeyboardInterceptor> keyboardInterceptor;
    std::shared_ptr<platform::LoginItemService> loginItems;
    std::function<void(std::int64_t level)> showHud;
    std::function<void()> terminate;
  };

  // Uses the shared display manager, key interceptor and HUD, the user's
  // autostart entry and the application's own termination.
  MenuBarViewController();
  explicit MenuBarViewController(Dependencies dependencies);
  ~MenuBarViewController();
  MenuBarViewController(const MenuBarViewController&) = delete;
  MenuBarViewController& operator=(const MenuBarViewController&) = delete;

  // The root widget, 280 pixels wide and 200 or 248 high, plus
  // popover_layout::kDisplayRowStep for each display row after the first;
  // built with all its controls on the first request, once. Never null; the
  // controller owns it.
  QWidget* view();

  // Re-reads the displays, their names and levels, and the login item's
  // status.
  void updateDisplayInfo();
  // Shows the banner and switches to the taller layout while input access
  // is missing. Builds the view if it does not exist yet.
  void updatePermissionBanner(bool isTrusted);
  void updateLaunchAtLoginState();
  // The autostart entry, also reached from the tray icon's menu.
  bool launchesAtLogin() const;
  void setLaunchesAtLogin(bool turnOn);
  // Ends the program, as its Quit button does.
  void quitClicked();
  // Shows `level` on the slider and in the level text, unclamped; with a row
  // per display, each row shows its display's level instead.
  void updateBrightnessUI(std::int64_t level);

 private:
  void loadView();
  void setupUI();
  void showDisplayRows();
  void addPresetRow();
  void addCheckboxRow();
  void addPermissionBanner();
  void addBottomRow();

  void placeLowerRows();
  bool rowPerDisplay() const;
  void presetClicked(std::int64_t level);
  void grantPermissionClicked();

  const std::shared_ptr<DisplayManager> displayManager_;
  const std::shared_ptr<KeyboardInterceptor> keyboardInterceptor_;
  const std::shared_ptr<platform::LoginItemService> loginItems_;
  const std::function<void(std::int64_t)> showHud_;
  const std::function<void()> terminate_;

  std::unique_ptr<PopoverView> rootView_;
  // After the view, so the rows go before it. Row i shows the display of
  // rowDisplays_[i]; one row, for all displays, when that list is empty.
  std::vector<std::unique_ptr<DisplayRow>> rows_;
  std::vector<std::string> rowDisplays_;
  // The controls under the rows, with their places in the one-display layout.
  std::vector<std::pair<QWidget*, QPoint>> lowerControls_;
  QCheckBox* launchAtLoginCheckbox_ = nullptr;
  QLabel* warningLabel_ = nullptr;
  QPushButton* permissionButton_ = nullptr;
  QPushButton* quitBtn_ = nullptr;
  QLabel* versionLabel_ = nullptr;
};

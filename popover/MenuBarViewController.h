#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <utility>
#include <vector>

#include "platform/LoginItemService.h"

class DisplayManager;
class KeyboardInterceptor;

namespace ui {
class View;
class TextField;
class Slider;
class Button;
class Box;
}  // namespace ui

// The content of the popover under the tray icon: the monitor's name and
// level, the slider, four presets, start-on-login, the input-access banner
// and quit. It shows state owned elsewhere and turns clicks and drags into
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

  // The root view, 280 points wide and 200 or 248 high; built with all its
  // controls on the first request, once. Never null.
  std::shared_ptr<ui::View> view();

  // Re-reads the monitor's name and level and the login item's status.
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
  // Shows `level` on the slider and in the level text, unclamped.
  void updateBrightnessUI(std::int64_t level);

 private:
  void loadView();
  void setupUI();
  void addTitleRow();
  void addSliderRow();
  void addPresetRow();
  void addCheckboxRow();
  void addPermissionBanner();
  void addBottomRow();
  void addTopRowView(std::shared_ptr<ui::View> view);
  void moveTopRows(double shift);

  // Wraps a handler so that a control outliving the controller does nothing.
  template <typename Sender>
  std::function<void(Sender&)> action(void (MenuBarViewController::*handler)(Sender&));
  std::function<void(ui::Button&)> action(void (MenuBarViewController::*handler)());

  void sliderChanged(ui::Slider& sender);
  void presetClicked(ui::Button& sender);
  void toggleLaunchAtLogin(ui::Button& sender);
  void grantPermissionClicked();

  const std::shared_ptr<DisplayManager> displayManager_;
  const std::shared_ptr<KeyboardInterceptor> keyboardInterceptor_;
  const std::shared_ptr<platform::LoginItemService> loginItems_;
  const std::function<void(std::int64_t)> showHud_;
  const std::function<void()> terminate_;

  std::shared_ptr<ui::View> rootView_;
  std::shared_ptr<ui::TextField> titleLabel_;
  std::shared_ptr<ui::TextField> percentLabel_;
  std::shared_ptr<ui::Slider> slider_;
  std::shared_ptr<ui::Button> launchAtLoginCheckbox_;
  std::shared_ptr<ui::View> permissionContainer_;
  std::shared_ptr<ui::Button> permissionButton_;
  std::shared_ptr<ui::Box> divider_;
  std::shared_ptr<ui::Button> quitBtn_;
  std::shared_ptr<ui::TextField> hintLabel_;

  // The title, slider and preset rows with their created y, moved together
  // with the top edge when the view changes height.
  std::vector<std::pair<std::shared_ptr<ui::View>, double>> topRows_;
  // What the controls' actions reach; reset first thing on destruction.
  std::shared_ptr<MenuBarViewController*> actionTarget_;
};

#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "display/DisplayManager.h"
#include "keys/KeyboardInterceptor.h"
#include "keys/KeyboardInterceptorDelegate.h"
#include "platform/loop/ScreenParametersObserver.h"
#include "platform/popup/PopoverWindow.h"
#include "platform/tray/StatusItem.h"
#include "popover/MenuBarViewController.h"

// The application's controller: owns the long-lived components, turns
// brightness-key reports into brightness steps, and hosts the tray item and
// its popover. Must be owned by a std::shared_ptr: the key interceptor, the
// level callback and the tray action hold it weakly.
class AppDelegate : public KeyboardInterceptorDelegate,
                    public std::enable_shared_from_this<AppDelegate> {
 public:
  // What the controller is built from. `system()` takes the shared components
  // in the order their construction must happen: the display manager first,
  // so its log line is the program's first.
  struct Components {
    std::shared_ptr<DisplayManager> displayManager;
    std::shared_ptr<KeyboardInterceptor> keyboardInterceptor;
    // The HUD, reached through the one operation the controller uses: shows
    // a level on the screen of an output name (empty: the main screen).
    std::function<void(std::int64_t level, const std::string& outputName)> showHud;
    // The output name of the screen under the pointer, when the session
    // tells; the keys then act on that screen's display alone.
    std::function<std::optional<std::string>()> outputUnderPointer;
    std::function<std::unique_ptr<platform::StatusItem>()> makeStatusItem;
    // Tells the user that the desktop shows no tray and what to do about it.
    std::function<void()> reportNoTray;
    std::function<std::unique_ptr<platform::PopoverWindow>()> makePopover;
    std::function<std::shared_ptr<MenuBarViewController>()> makeMenuBarViewController;

    static Components system();
  };

  // Set at the start of launch; nothing in the program reads it.
  static std::weak_ptr<AppDelegate> shared;

  AppDelegate();
  explicit AppDelegate(Components components);

  std::unique_ptr<platform::StatusItem> statusItem;
  std::unique_ptr<platform::PopoverWindow> popover;
  std::shared_ptr<MenuBarViewController> menuBarVC;

  // Called once the event loop runs: creates the tray item and the popover,
  // wires the components together and, last, checks the input permission.
  void applicationDidFinishLaunching();

  void didChangeBrightness(bool isUp, bool isFineGrained) override;
  void didUpdatePermissionStatus(bool isTrusted) override;

  void togglePopover();
  // Opens the popover, or brings it forward when open, and says whether it
  // is open; another start of the program asks. Without a tray it opens as
  // a window of its own.
  bool showPopover();
  void screensChanged();

  // A level asked for from outside the popover (the command line, the
  // session bus): clamped, saved, written and shown in the HUD, as a preset.
  void setBrightnessLevel(std::int64_t level);
  std::optional<ControlledDisplay> displayUnderPointer() const;
  std::int64_t brightnessLevel() const;
  // Called on the main thread after every level change, whatever its source.
  void addLevelObserver(std::function<void(std::int64_t level)> observer);

 private:
  void createStatusItem();
  void setUpStatusButton();
  std::vector<platform::StatusMenuEntry> menuEntries();
  void toggleLaunchAtLogin();
  void quit();
  void updateToolTip();
  void createPopover();
  void openPopover();
  void observeScreenChanges();
  void connectLevelCallback();

  const std::shared_ptr<DisplayManager> displayManager_;
  const std::shared_ptr<KeyboardInterceptor> keyboardInterceptor_;
  const std::function<void(std::int64_t level, const std::string& outputName)> showHud_;
  const std::function<std::optional<std::string>()> outputUnderPointer_;
  std::function<std::unique_ptr<platform::StatusItem>()> makeStatusItem_;
  std::function<void()> reportNoTray_;
  std::function<std::unique_ptr<platform::PopoverWindow>()> makePopover_;
  std::function<std::shared_ptr<MenuBarViewController>()> makeMenuBarViewController_;
  std::unique_ptr<loop::ScreenParametersObserver> screenObserver_;
  std::vector<std::function<void(std::int64_t level)>> levelObservers_;
};

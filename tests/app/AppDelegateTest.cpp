#include "app/AppDelegate.h"

#include <gtest/gtest.h>

#include <QLabel>

#include "tests/support/EventLoop.h"
#include "tests/support/FakeDisplayServices.h"
#include "tests/support/FakeKeyboardServices.h"

namespace {

// The tray item and its button in one; without a tray there is no button.
struct FakeStatusItem : platform::StatusItem, platform::StatusBarButton {
  explicit FakeStatusItem(bool hasTray) : hasTray(hasTray) {}
  StatusBarButton* button() override { return hasTray ? this : nullptr; }
  void setImage(QIcon i) override { image = i; }
  void setAction(std::function<void()> a) override { action = a; }
  void setScrollAction(std::function<void(bool)> a) override { scroll = a; }
  void setMenu(std::vector<platform::StatusMenuEntry> m) override { menu = m; }
  void setToolTip(const std::string& t) override { toolTip = t; }
  void setTrayChanged(std::function<void()> c) override { trayChanged = c; }
  bool hasTray;
  std::function<void(bool)> scroll;
  std::vector<platform::StatusMenuEntry> menu;
  std::string toolTip;
  std::function<void()> trayChanged;
  QIcon image;
  std::function<void()> action;
};

struct FakePopover : platform::PopoverWindow {
  void setContentView(QWidget* v) override { content = v; }
  bool isShown() const override { return shown; }
  void performClose() override { shown = false; }
  void showRelativeTo(const platform::StatusBarButton& b) override { anchor = &b, shown = true; }
  void showAsWindow() override { anchor = nullptr, shown = true; }
  void takeFocus() override { focused = shown; }
  QWidget* content = nullptr;
  const platform::StatusBarButton* anchor = nullptr;
  bool shown = false, focused = false;
};

struct NoLoginItem : platform::LoginItemService {
  Status status() const override { return Status::notRegistered; }
  std::optional<platform::LoginItemError> registerItem() override { return std::nullopt; }
  std::optional<platform::LoginItemError> unregisterItem() override { return std::nullopt; }
};

// No display-service library is found: every level goes to the gamma.
class AppDelegateTest : public ::testing::Test {
 protected:
  void launch() {
    displayManager = std::make_shared<DisplayManager>(DisplayManager::Services{
        "/nonexistent/libglimmerbox-displayservice.so", buses, tables, nullptr,
        std::make_shared<testsupport::FakeUserDefaults>(), screens});
    interceptor = keyboard.makeInterceptor();
    auto showHud = [this](std::int64_t level) { hudLevels.push_back(level); };
    app = std::make_shared<AppDelegate>(AppDelegate::Components{
        .displayManager = displayManager,
        .keyboardInterceptor = interceptor,
        .showHud =
            [this](std::int64_t level, const std::string& output) {
              hudLevels.push_back(level);
              hudOutputs.push_back(output);
            },
        .outputUnderPointer = [this] { return screens->pointer; },
        .makeStatusItem =
            [this] {
              auto item = std::make_unique<FakeStatusItem>(hasTray);
              button = item.get();
              return item;
            },
        .reportNoTray = [] {},
        .makePopover =
            [this] {
              auto window = std::make_unique<FakePopover>();
              popover = window.get();
              return window;
            },
        .makeMenuBarViewController =
            [this, showHud] {
              return std::make_shared<MenuBarViewController>(MenuBarViewController::Dependencies{
                  displayManager, interceptor, std::make_shared<NoLoginItem>(), showHud, [] {}});
            },
    });
    app->applicationDidFinishLaunching();
  }

  // The popover's labels: 0 holds the monitor name, 1 the level.
  std::string label(int index) const {
    return popover->content->findChildren<QLabel*>().at(index)->text().toStdString();
  }

  std::shared_ptr<testsupport::FakeGamma> tables = std::make_shared<testsupport::FakeGamma>();
  std::shared_ptr<testsupport::FakeScreens> screens = std::make_shared<testsupport::FakeScreens>();
  std::shared_ptr<testsupport::FakeDdcBuses> buses = std::make_shared<testsupport::FakeDdcBuses>();
  testsupport::FakeKeyboardServices keyboard;
  bool hasTray = true;

  std::shared_ptr<DisplayManager> displayManager;
  std::shared_ptr<KeyboardInterceptor> interceptor;
  std::vector<std::int64_t> hudLevels;
  std::vector<std::string> hudOutputs;
  FakeStatusItem* button = nullptr;
  FakePopover* popover = nullptr;
  std::shared_ptr<AppDelegate> app;
};

// The popover is built before the permission check, with the banner; the
// check's report, which comes at once, must reach it and drop the banner.
// A tray that starts after the program (an extension enabled later) gets
// the icon, the click, the wheel and the menu all the same. The menu's
// entries are checked on sway; fine steps and steps down, from keys, the
// command line and the bus, in tests/app/command_line.sh.
TEST_F(AppDelegateTest, LaunchesWithoutLevelOrTrayThenATrayComesAndWorks) {
  keyboard.keys->connected = true;
  tables->lit = {1};
  hasTray = false;
  launch();
  EXPECT_EQ(popover->content->height(), 200);
  app->didUpdatePermissionStatus(false);
  EXPECT_EQ(popover->content->height(), 248) << "a later report brings the banner back";
  testsupport::drainMainQueue();
  EXPECT_TRUE(tables->applied.empty()) << "nothing written to the monitor at launch";
  EXPECT_TRUE(hudLevels.empty());
  EXPECT_TRUE(button->image.isNull());
  button->hasTray = true;
  button->trayChanged();
  ASSERT_FALSE(button->image.isNull());
  button->scroll(true);
  EXPECT_EQ(hudLevels, std::vector<std::int64_t>{76}) << "a coarse step, with the HUD";
  testsupport::drainMainQueue();
  EXPECT_THAT(button->toolTip, testing::EndsWith(": 76%"));
  EXPECT_EQ(label(1), "76%");
  screens->list = {{"LG HDR 4K", {}, {}}};
  button->action();
  EXPECT_EQ(popover->anchor, button);
  EXPECT_TRUE(popover->focused);
  EXPECT_EQ(label(0), "LG HDR 4K");
  button->action();
  EXPECT_FALSE(popover->shown);
  screens->list = {{"BenQ PD2700U", {}, {}}};
  app->screensChanged();
  EXPECT_EQ(label(0), "BenQ PD2700U");
  button->menu.at(0).activate();
  EXPECT_TRUE(popover->shown);
}

// With two monitors each keeping its level, a key changes the one under the
// pointer and shows the HUD there; where the pointer is not known, or on no
// controlled display, every display steps from its own level. The popover
// grows a row for each and shows each level.
TEST_F(AppDelegateTest, KeysChangeTheDisplayUnderThePointerElseEveryDisplay) {
  buses->buses = {{0, "HDMI-A-1"}, {1, "DP-1"}};
  screens->list = {{"DELL U2720Q", {}, {}, "HDMI-A-1", "", "HDMI-1"},
                   {"LG HDR 4K", {}, {}, "DP-1", "", "DP-1"}};
  keyboard.keys->connected = true;
  launch();
  struct Press {
    std::optional<std::string> pointer;
    bool up, fine;
    std::int64_t dell, lg;
    std::string hudOn;
  };
  const Press presses[] = {{"HDMI-1", true, false, 76, 70, "HDMI-1"},
                           {"DP-1", false, true, 76, 68, "DP-1"},
                           {std::nullopt, true, false, 82, 74, ""},
                           {"XWAYLAND0", false, false, 76, 68, ""}};
  for (const Press& press : presses) {
    screens->pointer = press.pointer;
    app->didChangeBrightness(press.up, press.fine);
    ASSERT_EQ(displayManager->displays().size(), 2u);
    EXPECT_EQ(displayManager->displays()[0].level, press.dell);
    EXPECT_EQ(displayManager->displays()[1].level, press.lg);
    EXPECT_EQ(hudOutputs.back(), press.hudOn);
  }
  testsupport::drainMainQueue();
  EXPECT_EQ(button->toolTip, "DELL U2720Q: 76%\nLG HDR 4K: 68%");
  button->action();
  EXPECT_EQ(popover->content->height(), 200 + 64);
  std::vector<std::string> texts;
  for (const QLabel* shown : popover->content->findChildren<QLabel*>()) {
    texts.push_back(shown->text().toStdString());
  }
  EXPECT_THAT(texts, testing::IsSupersetOf({"DELL U2720Q", "76%", "LG HDR 4K", "68%"}));
}

}  // namespace

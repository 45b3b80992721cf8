#include "app/AppDelegate.h"

#include <gtest/gtest.h>

#include "app/ui/Image.h"
#include "app/ui/TextField.h"
#include "tests/support/EventLoop.h"
#include "tests/support/FakeDisplayServices.h"
#include "tests/support/FakeKeyboardServices.h"

namespace {

// Everything done to the tray, the popover and the permission query, in order.
using EventLog = std::vector<std::string>;

// The tray item and its button in one; without a tray there is no button.
struct RecordingStatusItem : ui::StatusItem, ui::StatusBarButton {
  RecordingStatusItem(EventLog& log, bool hasTray) : log(log), hasTray(hasTray) {
    log.push_back("status item");
  }
  StatusBarButton* button() override { return hasTray ? this : nullptr; }
  void setImage(std::shared_ptr<ui::Image> i) override { log.push_back("button image"), image = i; }
  void setAction(std::function<void()> a) override { log.push_back("button action"), action = a; }
  EventLog& log;
  bool hasTray;
  std::shared_ptr<ui::Image> image;
  std::function<void()> action;
};

struct RecordingPopover : ui::PopoverWindow {
  explicit RecordingPopover(EventLog& log) : log(log) { log.push_back("popover"); }
  void setContentView(std::shared_ptr<ui::View> v) override {
    log.push_back("popover content"), content = v;
  }
  bool isShown() const override { return shown; }
  void performClose() override { log.push_back("popover closed"), shown = false; }
  void showRelativeTo(const ui::StatusBarButton& b) override {
    log.push_back("popover shown"), anchor = &b, shown = true;
  }
  void makeKeyWindow() override { log.push_back("popover focused"); }
  EventLog& log;
  std::shared_ptr<ui::View> content;
  const ui::StatusBarButton* anchor = nullptr;
  bool shown = false;
};

// Logs the permission query and lets a test look around at that moment.
struct ObservedAccessQuery : testsupport::FakeInputAccessQuery {
  explicit ObservedAccessQuery(EventLog& log) : log_(log) {}
  bool isProcessTrusted(bool prompt) override {
    log_.push_back(prompt ? "permission checked with prompt" : "permission polled");
    if (onQuery) onQuery();
    return FakeInputAccessQuery::isProcessTrusted(prompt);
  }
  EventLog& log_;
  std::function<void()> onQuery;
};

struct NoLoginItem : platform::LoginItemService {
  Status status() const override { return Status::notRegistered; }
  std::optional<platform::LoginItemError> registerItem() override { return std::nullopt; }
  std::optional<platform::LoginItemError> unregisterItem() override { return std::nullopt; }
};

// No display-service library is found: every level goes to the gamma tables.
class AppDelegateTest : public ::testing::Test {
 protected:
  void launch() {
    displayManager = std::make_shared<DisplayManager>(
        DisplayManager::Services{"/nonexistent/libglimmerbox-displayservice.so", nullptr, tables,
                                 nullptr, defaults, screens});
    interceptor = std::make_shared<KeyboardInterceptor>(
        KeyboardInterceptor::Services{keyboard.tap, access, keyboard.opener, "file:///help.html"});
    auto showHud = [this](std::int64_t level) { hudLevels.push_back(level); };
    app = std::make_shared<AppDelegate>(AppDelegate::Components{
        .displayManager = displayManager,
        .keyboardInterceptor = interceptor,
        .showHud = showHud,
        .makeStatusItem =
            [this] {
              auto item = std::make_unique<RecordingStatusItem>(log, hasTray);
              button = item.get();
              return item;
            },
        .makePopover =
            [this] {
              auto window = std::make_unique<RecordingPopover>(log);
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
  void nameScreen(const std::string& name) { screens->list = {{name, {}, {}}}; }

  // The popover's label at `x`: 42 holds the monitor name, 215 the level.
  std::string label(double x) const {
    for (const auto& view : popover->content->subviews()) {
      auto* field = dynamic_cast<const ui::TextField*>(view.get());
      if (field != nullptr && field->frame().x == x) return field->stringValue();
    }
    return "<no label>";
  }
  std::string levelText() const { return label(215); }
  std::string monitorName() const { return label(42); }

  EventLog log;
  std::shared_ptr<testsupport::FakeTransferTables> tables =
      std::make_shared<testsupport::FakeTransferTables>();
  std::shared_ptr<testsupport::FakeUserDefaults> defaults =
      std::make_shared<testsupport::FakeUserDefaults>();
  std::shared_ptr<testsupport::FakeScreens> screens = std::make_shared<testsupport::FakeScreens>();
  testsupport::FakeKeyboardServices keyboard;
  std::shared_ptr<ObservedAccessQuery> access = std::make_shared<ObservedAccessQuery>(log);
  bool hasTray = true;

  std::shared_ptr<DisplayManager> displayManager;
  std::shared_ptr<KeyboardInterceptor> interceptor;
  std::vector<std::int64_t> hudLevels;
  RecordingStatusItem* button = nullptr;
  RecordingPopover* popover = nullptr;
  std::shared_ptr<AppDelegate> app;
};

TEST_F(AppDelegateTest, LaunchWiresEverythingBeforeThePermissionCheckAndWritesNothing) {
  bool wiredAtCheck = false;
  access->onQuery = [&] {
    wiredAtCheck = interceptor->delegate.lock() == app && displayManager->onBrightnessChanged &&
                   popover->content != nullptr;
  };
  tables->displays = {1};
  defaults->values["Glimmerbox_Brightness"] = 42;
  launch();
  EXPECT_EQ(log, (EventLog{"status item", "button image", "button action", "popover",
                           "popover content", "permission checked with prompt"}));
  EXPECT_TRUE(wiredAtCheck);
  EXPECT_EQ(AppDelegate::shared.lock(), app);
  EXPECT_TRUE(button->image->isTemplate());
  testsupport::drainMainQueue();
  EXPECT_TRUE(tables->applied.empty()) << "nothing written to the monitor at launch";
  EXPECT_TRUE(defaults->saves.empty());
  EXPECT_TRUE(hudLevels.empty());
  EXPECT_EQ(levelText(), "42%");
}

TEST_F(AppDelegateTest, TheFirstPermissionReportSizesThePopoverAndStartsTheTapWhenAllowed) {
  // Taps created so far, over both launches.
  for (const auto& [trusted, height, taps] : {std::tuple(true, 200.0, 1), {false, 248.0, 1}}) {
    access->trusted = trusted;
    launch();
    EXPECT_EQ(popover->content->frame().height, height) << trusted;
    EXPECT_EQ(keyboard.tap->createCount, taps) << trusted;
  }
  log.clear();
  app->didUpdatePermissionStatus(true);
  EXPECT_EQ(popover->content->frame().height, 200) << "a later report switches the banner";
  EXPECT_TRUE(log.empty());
  EXPECT_EQ(keyboard.tap->createCount, 1) << "and starts nothing";
}

// Each key step is clamped, saved and sent even when the level stays, the HUD
// shows it at once, and the popover follows only through the level callback.
TEST_F(AppDelegateTest, KeyStepsBySixOrTwoWithinZeroToHundred) {
  struct Step {
    std::int64_t start;
    bool up, fine;
    std::int64_t level;
  };
  const Step steps[] = {
      {97, true, false, 100}, {1, false, true, 0}, {50, true, true, 52}, {50, false, false, 44}};
  tables->displays = {1};
  launch();
  testsupport::drainMainQueue();
  for (const Step& s : steps) {
    SCOPED_TRACE(testing::Message()
                 << s.start << (s.up ? " up" : " down") << (s.fine ? " fine" : ""));
    displayManager->currentBrightness = s.start;
    const std::string before = levelText();
    tables->applied.clear();
    app->didChangeBrightness(s.up, s.fine);
    EXPECT_EQ(displayManager->currentBrightness, s.level);
    EXPECT_EQ(hudLevels.back(), s.level);
    EXPECT_EQ(defaults->values["Glimmerbox_Brightness"], s.level);
    EXPECT_EQ(tables->applied.size(), 1u);
    EXPECT_EQ(levelText(), before);
    testsupport::drainMainQueue();
    EXPECT_EQ(levelText(), std::to_string(s.level) + "%");
  }
  EXPECT_EQ(hudLevels.size(), std::size(steps));
}

TEST_F(AppDelegateTest, TheIconTogglesThePopoverAndScreenChangesRenameTheMonitor) {
  launch();
  log.clear();
  nameScreen("LG HDR 4K");
  button->action();
  EXPECT_EQ(popover->anchor, button);
  EXPECT_EQ(monitorName(), "LG HDR 4K");
  button->action();
  EXPECT_EQ(log, (EventLog{"popover shown", "popover focused", "popover closed"}));
  nameScreen("BenQ PD2700U");
  app->screensChanged();
  EXPECT_EQ(monitorName(), "BenQ PD2700U");
}

TEST_F(AppDelegateTest, WithoutATrayThereIsNoIconAndNothingToOpen) {
  hasTray = false;
  launch();
  app->togglePopover();
  EXPECT_EQ(log, (EventLog{"status item", "popover", "popover content",
                           "permission checked with prompt"}));
}

}  // namespace

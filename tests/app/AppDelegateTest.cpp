#include "app/AppDelegate.h"

#include <gtest/gtest.h>

#include "app/ui/Image.h"
#include "app/ui/TextField.h"
#include "tests/app/AppFakes.h"
#include "tests/support/EventLoop.h"
#include "tests/support/FakeKeyboardServices.h"

namespace {

using apptest::EventLog;

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

class AppDelegateTest : public ::testing::Test {
 protected:
  void launch() {
    displayManager = std::make_shared<DisplayManager>(
        DisplayManager::Services{"/nonexistent/libglimmerbox-displayservice.so", monitor, monitor,
                                 monitor, monitor, screens});
    interceptor = std::make_shared<KeyboardInterceptor>(
        KeyboardInterceptor::Services{keyboard.tap, access, keyboard.opener, "file:///help.html"});
    auto showHud = [this](std::int64_t level) { hudLevels.push_back(level); };
    app = std::make_shared<AppDelegate>(AppDelegate::Components{
        .displayManager = displayManager,
        .keyboardInterceptor = interceptor,
        .showHud = showHud,
        .makeStatusItem =
            [this] {
              auto item = std::make_unique<apptest::RecordingStatusItem>(log, hasTray);
              button = item->button();
              return item;
            },
        .makePopover =
            [this] {
              auto window = std::make_unique<apptest::RecordingPopover>(log);
              popover = window.get();
              return window;
            },
        .makeMenuBarViewController =
            [this, showHud] {
              return std::make_shared<MenuBarViewController>(MenuBarViewController::Dependencies{
                  displayManager, interceptor, std::make_shared<apptest::StaticLoginItems>(),
                  showHud, [] {}});
            },
    });
    app->applicationDidFinishLaunching();
  }

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
  std::shared_ptr<apptest::FakeMonitor> monitor = std::make_shared<apptest::FakeMonitor>();
  std::shared_ptr<apptest::NamedScreens> screens = std::make_shared<apptest::NamedScreens>();
  testsupport::FakeKeyboardServices keyboard;
  std::shared_ptr<ObservedAccessQuery> access = std::make_shared<ObservedAccessQuery>(log);
  bool hasTray = true;

  std::shared_ptr<DisplayManager> displayManager;
  std::shared_ptr<KeyboardInterceptor> interceptor;
  std::vector<std::int64_t> hudLevels;
  apptest::RecordingButton* button = nullptr;
  apptest::RecordingPopover* popover = nullptr;
  std::shared_ptr<AppDelegate> app;
};

TEST_F(AppDelegateTest, LaunchWiresEverythingBeforeThePermissionCheckAndWritesNothing) {
  bool wiredAtCheck = false;
  access->onQuery = [&] {
    wiredAtCheck = interceptor->delegate.lock() == app && displayManager->onBrightnessChanged &&
                   popover->content != nullptr;
  };
  monitor->values["Glimmerbox_Brightness"] = 42;
  launch();
  EXPECT_EQ(log, (EventLog{"status item", "button image", "button action", "popover",
                           "popover content", "permission checked with prompt"}));
  EXPECT_TRUE(wiredAtCheck);
  EXPECT_EQ(AppDelegate::shared.lock(), app);
  EXPECT_TRUE(button->image->isTemplate());
  testsupport::drainMainQueue();
  EXPECT_TRUE(monitor->gammaTops.empty()) << "nothing written to the monitor at launch";
  EXPECT_EQ(monitor->writes, 0);
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
  launch();
  testsupport::drainMainQueue();
  for (const Step& s : steps) {
    SCOPED_TRACE(testing::Message()
                 << s.start << (s.up ? " up" : " down") << (s.fine ? " fine" : ""));
    displayManager->currentBrightness = s.start;
    const std::string before = levelText();
    monitor->gammaTops.clear();
    app->didChangeBrightness(s.up, s.fine);
    EXPECT_EQ(displayManager->currentBrightness, s.level);
    EXPECT_EQ(hudLevels.back(), s.level);
    EXPECT_EQ(monitor->values["Glimmerbox_Brightness"], s.level);
    EXPECT_EQ(monitor->gammaTops.size(), 1u);
    EXPECT_EQ(levelText(), before);
    testsupport::drainMainQueue();
    EXPECT_EQ(levelText(), std::to_string(s.level) + "%");
  }
  EXPECT_EQ(hudLevels.size(), std::size(steps));
}

TEST_F(AppDelegateTest, TheIconTogglesThePopoverAndScreenChangesRenameTheMonitor) {
  launch();
  log.clear();
  screens->name = "LG HDR 4K";
  button->action();
  EXPECT_EQ(popover->anchor, button);
  EXPECT_EQ(monitorName(), "LG HDR 4K");
  button->action();
  EXPECT_EQ(log, (EventLog{"popover shown", "popover focused", "popover closed"}));
  screens->name = "BenQ PD2700U";
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

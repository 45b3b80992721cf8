#include "app/AppDelegate.h"

#include <gtest/gtest.h>

#include "app/ui/Image.h"
#include "app/ui/TextField.h"
#include "tests/app/AppFakes.h"
#include "tests/support/EventLoop.h"

namespace {

using apptest::EventLog;

constexpr const char* kLevelKey = "Glimmerbox_Brightness";
// Where the popover keeps its monitor name and level text.
constexpr double kTitleLabelX = 42;
constexpr double kPercentLabelX = 215;

std::string labelText(const ui::View& root, double x) {
  for (const auto& view : root.subviews()) {
    auto* label = dynamic_cast<const ui::TextField*>(view.get());
    if (label != nullptr && label->frame().x == x) {
      return label->stringValue();
    }
  }
  return "<no label>";
}

class AppDelegateTest : public ::testing::Test {
 protected:
  void launch() {
    app = std::make_shared<AppDelegate>(components());
    app->applicationDidFinishLaunching();
  }

  AppDelegate::Components components() {
    displayManager = std::make_shared<DisplayManager>(
        DisplayManager::Services{"/nonexistent/libglimmerbox-displayservice.so", ports, tables,
                                 std::make_shared<apptest::InstantSleeper>(), defaults, screens});
    interceptor = std::make_shared<KeyboardInterceptor>(
        KeyboardInterceptor::Services{keyboard.tap, access, keyboard.opener, "file:///help.html"});
    auto showHud = [this](std::int64_t level) { hudLevels.push_back(level); };
    return {
        .displayManager = displayManager,
        .keyboardInterceptor = interceptor,
        .showHud = showHud,
        .makeStatusItem =
            [this] {
              auto item = std::make_unique<apptest::RecordingStatusItem>(log, hasTray);
              button = item->recordingButton();
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
    };
  }

  std::string levelText() const { return labelText(*popover->content, kPercentLabelX); }
  std::string monitorName() const { return labelText(*popover->content, kTitleLabelX); }

  std::shared_ptr<EventLog> log = std::make_shared<EventLog>();
  std::shared_ptr<apptest::CountingPorts> ports = std::make_shared<apptest::CountingPorts>();
  std::shared_ptr<apptest::CountingTransferTables> tables =
      std::make_shared<apptest::CountingTransferTables>();
  std::shared_ptr<apptest::MemoryDefaults> defaults = std::make_shared<apptest::MemoryDefaults>();
  std::shared_ptr<apptest::NamedScreens> screens = std::make_shared<apptest::NamedScreens>();
  testsupport::FakeKeyboardServices keyboard;
  std::shared_ptr<apptest::ObservedAccessQuery> access =
      std::make_shared<apptest::ObservedAccessQuery>(log);
  bool hasTray = true;

  std::shared_ptr<DisplayManager> displayManager;
  std::shared_ptr<KeyboardInterceptor> interceptor;
  std::vector<std::int64_t> hudLevels;
  apptest::RecordingButton* button = nullptr;
  apptest::RecordingPopover* popover = nullptr;
  std::shared_ptr<AppDelegate> app;
};

TEST_F(AppDelegateTest, LaunchWiresEverythingBeforeTheSynchronousPermissionReport) {
  bool wiredAtCheck = false;
  access->onQuery = [&] {
    wiredAtCheck = interceptor->delegate.lock() == app && displayManager->onBrightnessChanged &&
                   popover->content != nullptr;
  };
  launch();
  EXPECT_EQ(*log, (EventLog{"status item", "button image", "button action", "popover",
                            "popover content", "permission checked with prompt"}));
  EXPECT_TRUE(wiredAtCheck);
  EXPECT_EQ(AppDelegate::shared.lock(), app);
  EXPECT_TRUE(button->image->isTemplate());
}

struct PermissionCase {
  const char* name;
  bool trusted;
  double popoverHeight;
  int tapsCreated;
  friend void PrintTo(const PermissionCase& c, std::ostream* os) { *os << c.name; }
};

class AppDelegatePermissionTest : public AppDelegateTest,
                                  public ::testing::WithParamInterface<PermissionCase> {};

TEST_P(AppDelegatePermissionTest, FirstReportReachesTheBannerAndStartsTheTapWhenAllowed) {
  access->trusted = GetParam().trusted;
  launch();
  EXPECT_EQ(popover->content->frame().height, GetParam().popoverHeight);
  EXPECT_EQ(keyboard.tap->createCount, GetParam().tapsCreated);
}

INSTANTIATE_TEST_SUITE_P(Launch, AppDelegatePermissionTest,
                         ::testing::Values(PermissionCase{"WithoutInputAccess", false, 248, 0},
                                           PermissionCase{"WithInputAccess", true, 200, 1}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST_F(AppDelegateTest, LaunchWritesNothingToTheMonitorAndShowsTheRestoredLevel) {
  defaults->values[kLevelKey] = 42;
  launch();
  testsupport::drainMainQueue();
  EXPECT_EQ(ports->enumerations, 0);
  EXPECT_TRUE(tables->writtenLevels.empty());
  EXPECT_EQ(defaults->writes, 0);
  EXPECT_TRUE(hudLevels.empty());
  EXPECT_EQ(levelText(), "42%");
}

struct StepCase {
  const char* name;
  std::int64_t start;
  bool isUp;
  bool isFineGrained;
  std::int64_t expected;
  friend void PrintTo(const StepCase& c, std::ostream* os) { *os << c.name; }
};

class AppDelegateStepTest : public AppDelegateTest,
                            public ::testing::WithParamInterface<StepCase> {};

TEST_P(AppDelegateStepTest, StepsClampsSendsAndShowsTheHudAtOnceThePopoverOnTheNextTurn) {
  const StepCase& c = GetParam();
  launch();
  testsupport::drainMainQueue();
  displayManager->currentBrightness = c.start;

  app->didChangeBrightness(c.isUp, c.isFineGrained);

  EXPECT_EQ(displayManager->currentBrightness, c.expected);
  EXPECT_EQ(hudLevels, std::vector<std::int64_t>{c.expected});
  EXPECT_EQ(defaults->values[kLevelKey], c.expected);
  EXPECT_EQ(tables->writtenLevels.size(), 1u) << "the level is sent even when unchanged";
  EXPECT_EQ(levelText(), "70%") << "the popover follows only through the level callback";
  testsupport::drainMainQueue();
  EXPECT_EQ(levelText(), std::to_string(c.expected) + "%");
}

INSTANTIATE_TEST_SUITE_P(Keys, AppDelegateStepTest,
                         ::testing::Values(StepCase{"CoarseUpStopsAtTheTop", 97, true, false, 100},
                                           StepCase{"FineDownStopsAtTheBottom", 1, false, true, 0},
                                           StepCase{"CoarseDownAtZeroStaysAtZero", 0, false, false,
                                                    0},
                                           StepCase{"FineUpAddsTwo", 50, true, true, 52},
                                           StepCase{"CoarseDownTakesSix", 50, false, false, 44}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST_F(AppDelegateTest, ClickingTheIconOpensThenClosesTheRefreshedPopover) {
  launch();
  log->clear();
  screens->name = "LG HDR 4K";
  button->action();
  EXPECT_EQ(*log, (EventLog{"popover shown", "popover focused"}));
  EXPECT_EQ(popover->anchor, button);
  EXPECT_EQ(monitorName(), "LG HDR 4K");

  button->action();
  EXPECT_FALSE(popover->shown);
  EXPECT_EQ(log->back(), "popover closed");
}

TEST_F(AppDelegateTest, WithoutATrayThereIsNoIconAndNothingToOpen) {
  hasTray = false;
  launch();
  app->togglePopover();
  EXPECT_EQ(*log, (EventLog{"status item", "popover", "popover content",
                            "permission checked with prompt"}));
  EXPECT_FALSE(popover->shown);
}

TEST_F(AppDelegateTest, ScreenChangesRenameTheMonitorWithoutOpeningThePopover) {
  launch();
  screens->name = "BenQ PD2700U";
  app->screensChanged();
  EXPECT_EQ(monitorName(), "BenQ PD2700U");
  EXPECT_FALSE(popover->shown);
}

TEST_F(AppDelegateTest, APermissionReportOnlySwitchesTheBanner) {
  launch();
  log->clear();
  app->didUpdatePermissionStatus(true);
  EXPECT_EQ(popover->content->frame().height, 200);
  EXPECT_TRUE(log->empty());
  EXPECT_EQ(keyboard.tap->createCount, 0);
}

}  // namespace

#include "popover/MenuBarViewController.h"

#include <gtest/gtest.h>

#include <QSlider>
#include <cmath>

#include "app/ui/Button.h"
#include "app/ui/Slider.h"
#include "app/ui/TextField.h"
#include "app/ui/ViewBridge.h"
#include "display/DisplayManager.h"
#include "tests/support/EventLoop.h"
#include "tests/support/FakeDisplayServices.h"
#include "tests/support/FakeKeyboardServices.h"

namespace {

using Status = platform::LoginItemService::Status;
using Outcome = std::optional<platform::LoginItemError>;

struct FakeLoginItems : platform::LoginItemService {
  Status status() const override { return current; }
  Outcome registerItem() override { return become(Status::enabled); }
  Outcome unregisterItem() override { return become(Status::notRegistered); }
  Outcome become(Status next) {
    current = failure ? current : next;
    return failure;
  }
  Status current = Status::notRegistered;
  Outcome failure;
};

// The root view's children in the order they are built.
struct Controls {
  explicit Controls(const ui::View& root) : subviews(root.subviews()) {}
  template <typename T>
  T& at(std::size_t index) const {
    return dynamic_cast<T&>(*subviews.at(index));
  }
  ui::TextField& title() const { return at<ui::TextField>(1); }
  ui::TextField& percent() const { return at<ui::TextField>(2); }
  ui::Slider& slider() const { return at<ui::Slider>(4); }
  ui::Button& preset(std::size_t i) const { return at<ui::Button>(6 + i); }
  ui::Button& checkbox() const { return at<ui::Button>(10); }
  ui::View& banner() const { return at<ui::View>(12); }
  ui::Button& grant() const { return dynamic_cast<ui::Button&>(*banner().subviews().at(2)); }
  ui::Button& quit() const { return at<ui::Button>(14); }

  std::vector<std::shared_ptr<ui::View>> subviews;
};

// Moves the slider's knob as a drag would.
void dragSlider(ui::Slider& slider, double value) {
  auto* widget = static_cast<QSlider*>(ui::bridge::widgetOf(slider));
  widget->setSliderDown(true);
  widget->setSliderPosition(static_cast<int>(std::lround(value / 100 * widget->maximum())));
  widget->setSliderDown(false);
}

class MenuBarViewControllerTest : public ::testing::Test {
 protected:
  MenuBarViewControllerTest() {
    // No display service library is found, so no port is asked and no pause taken.
    auto screens = std::make_shared<testsupport::FakeScreens>();
    screens->list = {{"DELL U2720Q", {}, {}}};
    displayManager = std::make_shared<DisplayManager>(
        DisplayManager::Services{"/nonexistent/libglimmerbox-displayservice.so", nullptr,
                                 std::make_shared<testsupport::FakeGamma>(), nullptr,
                                 std::make_shared<testsupport::FakeUserDefaults>(), screens});
    displayManager->onBrightnessChanged = [this](std::int64_t level) {
      if (controller) controller->updateBrightnessUI(level);
    };
    controller = std::make_unique<MenuBarViewController>(MenuBarViewController::Dependencies{
        displayManager, keyboard.makeInterceptor(), loginItems,
        [this](std::int64_t level) { hudLevels.push_back(level); }, [this] { ++terminations; }});
  }
  // Level callbacks still queued must not reach the next test.
  void TearDown() override { testsupport::drainMainQueue(); }

  Controls controls() { return Controls(*controller->view()); }

  testsupport::FakeKeyboardServices keyboard;
  std::shared_ptr<FakeLoginItems> loginItems = std::make_shared<FakeLoginItems>();
  std::shared_ptr<DisplayManager> displayManager;
  std::unique_ptr<MenuBarViewController> controller;
  std::vector<std::int64_t> hudLevels;
  int terminations = 0;
};

TEST_F(MenuBarViewControllerTest, UpdatesBeforeTheViewExistsChangeNothingAndTheViewIsBuiltOnce) {
  loginItems->current = Status::enabled;
  controller->updateBrightnessUI(5);
  controller->updateDisplayInfo();
  controller->updateLaunchAtLoginState();

  const Controls built = controls();
  EXPECT_EQ(built.title().stringValue(), "DELL U2720Q");
  EXPECT_EQ(built.percent().stringValue(), "70%");
  EXPECT_DOUBLE_EQ(built.slider().doubleValue(), 70);
  EXPECT_EQ(built.checkbox().state(), ui::ControlState::On);
}

TEST_F(MenuBarViewControllerTest, BannerLayoutsMoveTheRowsAndComeBackWithoutDrift) {
  struct Layout {
    bool isTrusted;
    double height, topShift, checkboxY;
  } sequence[] = {
      {false, 248, 48, 100}, {true, 200, 0, 52}, {false, 248, 48, 100}, {true, 200, 0, 52}};
  const Controls built = controls();
  for (const Layout& l : sequence) {
    controller->updatePermissionBanner(l.isTrusted);
    SCOPED_TRACE(l.isTrusted ? "trusted" : "banner");
    EXPECT_EQ(controller->view()->frame(), (ui::Rect{0, 0, 280, l.height}));
    EXPECT_EQ(built.title().frame(), (ui::Rect{42, 168 + l.topShift, 170, 20}));
    EXPECT_EQ(built.slider().frame(), (ui::Rect{38, 130 + l.topShift, 204, 20}));
    EXPECT_EQ(built.preset(3).frame(), (ui::Rect{208, 94 + l.topShift, 56, 24})) << "the last";
    EXPECT_EQ(built.checkbox().frame(), (ui::Rect{16, l.checkboxY, 125, 20}));
    EXPECT_EQ(built.banner().isHidden(), l.isTrusted);
    if (!l.isTrusted) {
      EXPECT_EQ(built.banner().frame(), (ui::Rect{16, 48, 248, 42}));
    }
  }
}

// The interceptor here is not trusted; a report that says otherwise is the
// newer news and must win over the state the view is built with.
TEST_F(MenuBarViewControllerTest, FirstBannerReportBuildsTheViewInItsOwnLayout) {
  controller->updatePermissionBanner(true);
  EXPECT_EQ(controller->view()->frame().height, 200);
  EXPECT_TRUE(controls().banner().isHidden());
}

TEST_F(MenuBarViewControllerTest, SliderRoundsHalvesAwayFromZeroAndNeverShowsTheHud) {
  struct Case {
    double dragged;
    std::int64_t level;
  } cases[] = {{49.5, 50}, {49.49, 49}, {0.5, 1}, {0.49, 0}, {100, 100}};
  const Controls built = controls();
  for (const Case& c : cases) {
    dragSlider(built.slider(), c.dragged);
    EXPECT_EQ(displayManager->currentBrightness, c.level) << c.dragged;
    EXPECT_EQ(built.percent().stringValue(), std::to_string(c.level) + "%");
    EXPECT_DOUBLE_EQ(built.slider().doubleValue(), c.dragged) << "moved before the callback";
    testsupport::drainMainQueue();
    EXPECT_DOUBLE_EQ(built.slider().doubleValue(), static_cast<double>(c.level));
  }
  EXPECT_TRUE(hudLevels.empty());
}

TEST_F(MenuBarViewControllerTest, PresetsSetLevelSliderTextAndShowTheHud) {
  const Controls built = controls();
  for (std::size_t i : {3u, 0u, 1u, 2u}) {
    built.preset(i).performClick();
    const std::string text = std::to_string(displayManager->currentBrightness) + "%";
    EXPECT_EQ(built.preset(i).title(), text);
    EXPECT_EQ(built.percent().stringValue(), text);
    EXPECT_DOUBLE_EQ(built.slider().doubleValue(), displayManager->currentBrightness);
  }
  EXPECT_EQ(hudLevels, (std::vector<std::int64_t>{100, 25, 50, 75}));
}

TEST_F(MenuBarViewControllerTest, LaunchAtLoginLogsTheOutcomeAndShowsTheRealStatusOnFailure) {
  using enum ui::ControlState;
  const std::tuple<Status, bool, std::string, ui::ControlState> cases[] = {
      {Status::notRegistered, false, "Successfully registered launch at login", On},
      {Status::enabled, false, "Successfully unregistered launch at login", Off},
      {Status::notRegistered, true, "Error toggling launch at login: disk full", Off},
      {Status::enabled, true, "Error toggling launch at login: disk full", On}};
  const Controls built = controls();
  for (const auto& [before, fails, line, after] : cases) {
    loginItems->current = before;
    loginItems->failure = fails ? Outcome(platform::LoginItemError{"disk full"}) : std::nullopt;
    controller->updateLaunchAtLoginState();
    testing::internal::CaptureStdout();
    built.checkbox().performClick();
    EXPECT_EQ(testing::internal::GetCapturedStdout(), "[Glimmerbox] " + line + "\n");
    EXPECT_EQ(built.checkbox().state(), after) << line;
  }
}

TEST_F(MenuBarViewControllerTest, ControlsActWhileTheControllerLivesAndDoNothingAfter) {
  const Controls built = controls();
  built.grant().performClick();
  built.quit().performClick();
  controller.reset();
  built.grant().performClick();
  built.quit().performClick();
  built.preset(0).performClick();
  dragSlider(built.slider(), 10);
  EXPECT_EQ(keyboard.opener->opened, std::vector{keyboard.services().accessHelpUrl});
  EXPECT_EQ(terminations, 1);
  EXPECT_EQ(displayManager->currentBrightness, 70);
  EXPECT_TRUE(hudLevels.empty());
}

}  // namespace

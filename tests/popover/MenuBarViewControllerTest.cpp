#include "popover/MenuBarViewController.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <QCheckBox>
#include <QLabel>
#include <QPushButton>
#include <QSlider>
#include <cmath>
#include <stdexcept>

#include "display/DisplayManager.h"
#include "tests/support/EventLoop.h"
#include "tests/support/FakeDisplayServices.h"
#include "tests/support/FakeKeyboardServices.h"
#include "tests/support/Rendering.h"

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

// A button found as a user finds it: by its text.
QPushButton& button(QWidget* root, const QString& text) {
  for (QPushButton* button : root->findChildren<QPushButton*>()) {
    if (button->text() == text) return *button;
  }
  throw std::runtime_error("no button " + text.toStdString());
}

// The level text, next to the title.
QString levelShown(QWidget* root) { return root->findChildren<QLabel*>().at(1)->text(); }

// Moves the slider's knob as a drag would.
void dragSlider(QSlider& slider, double value) {
  slider.setSliderDown(true);
  slider.setSliderPosition(static_cast<int>(std::lround(value / 100 * slider.maximum())));
  slider.setSliderDown(false);
}

// The slider's value in percent.
double sliderLevel(const QSlider& slider) { return 100.0 * slider.value() / slider.maximum(); }

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

  testsupport::FakeKeyboardServices keyboard;
  std::shared_ptr<FakeLoginItems> loginItems = std::make_shared<FakeLoginItems>();
  std::shared_ptr<DisplayManager> displayManager;
  std::unique_ptr<MenuBarViewController> controller;
  std::vector<std::int64_t> hudLevels;
  int terminations = 0;
};

// Updates before the view exists change nothing; a banner report then
// builds it in the reported state (the interceptor here is not trusted).
// Drawn as a person sees it, in either state and after switching back.
TEST_F(MenuBarViewControllerTest, TheViewIsBuiltOnceAndTheBannerSwitchesItsLayout) {
  controller->updateBrightnessUI(5);
  controller->updatePermissionBanner(true);
  QWidget* view = controller->view();
  EXPECT_EQ(view->findChildren<QLabel*>().at(0)->text(), "DELL U2720Q");
  EXPECT_EQ(levelShown(view), "70%");
  const std::pair<bool, const char*> sequence[] = {
      {true, "popover.png"}, {false, "popover-banner.png"}, {true, "popover.png"}};
  for (const auto& [isTrusted, reference] : sequence) {
    controller->updatePermissionBanner(isTrusted);
    EXPECT_THAT(testsupport::differingRegions(testsupport::rendered(*view), reference),
                testing::IsEmpty())
        << reference;
  }
  EXPECT_EQ(controller->view(), view);
}

TEST_F(MenuBarViewControllerTest, SliderRoundsHalvesAwayFromZeroAndNeverShowsTheHud) {
  const std::pair<double, std::int64_t> cases[] = {
      {49.5, 50}, {49.49, 49}, {0.5, 1}, {0.49, 0}, {100, 100}};
  QSlider& slider = *controller->view()->findChild<QSlider*>();
  for (const auto& [dragged, level] : cases) {
    dragSlider(slider, dragged);
    EXPECT_EQ(displayManager->currentBrightness, level) << dragged;
    EXPECT_EQ(levelShown(controller->view()), QString("%1%").arg(level));
    EXPECT_DOUBLE_EQ(sliderLevel(slider), dragged) << "moved before the callback";
    testsupport::drainMainQueue();
    EXPECT_DOUBLE_EQ(sliderLevel(slider), static_cast<double>(level));
  }
  EXPECT_TRUE(hudLevels.empty());
}

TEST_F(MenuBarViewControllerTest, PresetsSetTheLevelAndShowTheHudGrantAndQuitAct) {
  QWidget* view = controller->view();
  for (int level : {100, 25, 50, 75}) {
    button(view, QString("%1%").arg(level)).click();
    EXPECT_EQ(displayManager->currentBrightness, level);
    EXPECT_EQ(levelShown(view), QString("%1%").arg(level));
    EXPECT_DOUBLE_EQ(sliderLevel(*view->findChild<QSlider*>()), level);
  }
  EXPECT_EQ(hudLevels, (std::vector<std::int64_t>{100, 25, 50, 75}));
  button(view, "Grant").click();
  button(view, "Quit Glimmerbox").click();
  EXPECT_EQ(keyboard.opener->opened, std::vector{keyboard.services().accessHelpUrl});
  EXPECT_EQ(terminations, 1);
}

TEST_F(MenuBarViewControllerTest, LaunchAtLoginLogsTheOutcomeAndShowsTheRealStatusOnFailure) {
  const std::tuple<Status, bool, std::string, bool> cases[] = {
      {Status::notRegistered, false, "Successfully registered launch at login", true},
      {Status::enabled, false, "Successfully unregistered launch at login", false},
      {Status::notRegistered, true, "Error toggling launch at login: disk full", false},
      {Status::enabled, true, "Error toggling launch at login: disk full", true}};
  QCheckBox& checkbox = *controller->view()->findChild<QCheckBox*>();
  for (const auto& [before, fails, line, after] : cases) {
    loginItems->current = before;
    loginItems->failure = fails ? Outcome(platform::LoginItemError{"disk full"}) : std::nullopt;
    controller->updateLaunchAtLoginState();
    testing::internal::CaptureStdout();
    checkbox.click();
    EXPECT_EQ(testing::internal::GetCapturedStdout(), "[Glimmerbox] " + line + "\n");
    EXPECT_EQ(checkbox.isChecked(), after) << line;
  }
}

}  // namespace

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

class MenuBarViewControllerTest : public ::testing::Test {
 protected:
  MenuBarViewControllerTest() {
    // No display service library is found, so no port is asked and no pause taken.
    screens->list = {{"DELL U2720Q", {}, {}}};
    displayManager = std::make_shared<DisplayManager>(
        DisplayManager::Services{"/nonexistent/libglimmerbox-displayservice.so", buses,
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

  std::shared_ptr<testsupport::FakeScreens> screens = std::make_shared<testsupport::FakeScreens>();
  std::shared_ptr<testsupport::FakeDdcBuses> buses = std::make_shared<testsupport::FakeDdcBuses>();
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

// A drag moves the knob at once and sets the level without the HUD; the
// knob then snaps to the level set. A preset shows the HUD.
TEST_F(MenuBarViewControllerTest, SliderRoundsHalvesAwayFromZeroPresetsShowTheHud) {
  const std::pair<double, std::int64_t> cases[] = {
      {49.5, 50}, {49.49, 49}, {0.5, 1}, {0.49, 0}, {100, 100}};
  QWidget* view = controller->view();
  QSlider& slider = *view->findChild<QSlider*>();
  const auto percent = [&](double share) {
    return static_cast<int>(std::lround(share * slider.maximum() / 100));
  };
  for (const auto& [dragged, level] : cases) {
    slider.setSliderDown(true);
    slider.setSliderPosition(percent(dragged));
    slider.setSliderDown(false);
    EXPECT_EQ(displayManager->currentBrightness, level) << dragged;
    EXPECT_EQ(levelShown(view), QString("%1%").arg(level));
    EXPECT_EQ(slider.value(), percent(dragged)) << "moved before the callback";
    testsupport::drainMainQueue();
    EXPECT_EQ(slider.value(), percent(level));
  }
  EXPECT_TRUE(hudLevels.empty());
  button(view, "25%").click();
  EXPECT_EQ(displayManager->currentBrightness, 25);
  EXPECT_EQ(levelShown(view), "25%");
  EXPECT_EQ(slider.value(), percent(25));
  EXPECT_EQ(hudLevels, (std::vector<std::int64_t>{25}));
  button(view, "Grant").click();
  button(view, "Quit Glimmerbox").click();
  EXPECT_EQ(keyboard.opener->opened, std::vector{keyboard.services().accessHelpUrl});
  EXPECT_EQ(terminations, 1);
}

// A failed toggle leaves the box showing the real status.
TEST_F(MenuBarViewControllerTest, LaunchAtLoginShowsTheRealStatusOnFailure) {
  const std::tuple<Status, bool, bool> cases[] = {{Status::notRegistered, false, true},
                                                  {Status::enabled, false, false},
                                                  {Status::notRegistered, true, false},
                                                  {Status::enabled, true, true}};
  QCheckBox& checkbox = *controller->view()->findChild<QCheckBox*>();
  for (const auto& [before, fails, after] : cases) {
    loginItems->current = before;
    loginItems->failure = fails ? Outcome(platform::LoginItemError{"disk full"}) : std::nullopt;
    controller->updateLaunchAtLoginState();
    checkbox.click();
    EXPECT_EQ(checkbox.isChecked(), after) << static_cast<int>(before) << fails;
  }
}

}  // namespace

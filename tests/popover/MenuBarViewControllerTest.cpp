#include "popover/MenuBarViewController.h"

#include <gtest/gtest.h>

#include <gmock/gmock.h>

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

// The popover's controls, found as a user finds them: by their text.
struct Controls {
  explicit Controls(QWidget* root) : root(root) {}
  template <typename T>
  T& withText(const QString& text) const {
    for (T* control : root->findChildren<T*>()) {
      if (control->text() == text) return *control;
    }
    throw std::runtime_error("no control " + text.toStdString());
  }
  QLabel& title() const { return *labels().at(0); }
  QLabel& percent() const { return *labels().at(1); }
  QSlider& slider() const { return *root->findChild<QSlider*>(); }
  QPushButton& preset(int level) const { return withText<QPushButton>(QString("%1%").arg(level)); }
  QCheckBox& checkbox() const { return *root->findChild<QCheckBox*>(); }
  QPushButton& grant() const { return withText<QPushButton>("Grant"); }
  QPushButton& quit() const { return withText<QPushButton>("Quit Glimmerbox"); }
  QList<QLabel*> labels() const { return root->findChildren<QLabel*>(); }

  QWidget* root;
};

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
                                 std::make_shared<testsupport::FakeTransferTables>(), nullptr,
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

  Controls controls() { return Controls(controller->view()); }

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
  EXPECT_EQ(built.title().text(), "DELL U2720Q");
  EXPECT_EQ(built.percent().text(), "70%");
  EXPECT_DOUBLE_EQ(sliderLevel(built.slider()), 70);
  EXPECT_TRUE(built.checkbox().isChecked());
  EXPECT_EQ(controller->view(), built.root);
}

// Drawn as a person sees it, in either state and after switching back and
// forth; a report before the view exists builds it in the reported state.
TEST_F(MenuBarViewControllerTest, TheBannerSwitchesBetweenTheTwoLayouts) {
  const std::pair<bool, const char*> sequence[] = {
      {true, "popover.png"}, {false, "popover-banner.png"}, {true, "popover.png"}};
  controller->updatePermissionBanner(true);
  for (const auto& [isTrusted, reference] : sequence) {
    controller->updatePermissionBanner(isTrusted);
    EXPECT_THAT(
        testsupport::differingRegions(testsupport::rendered(*controller->view()), reference),
        testing::IsEmpty())
        << reference;
  }
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
    EXPECT_EQ(built.percent().text(), QString("%1%").arg(c.level));
    EXPECT_DOUBLE_EQ(sliderLevel(built.slider()), c.dragged) << "moved before the callback";
    testsupport::drainMainQueue();
    EXPECT_DOUBLE_EQ(sliderLevel(built.slider()), static_cast<double>(c.level));
  }
  EXPECT_TRUE(hudLevels.empty());
}

TEST_F(MenuBarViewControllerTest, PresetsSetLevelSliderTextAndShowTheHud) {
  const Controls built = controls();
  for (int level : {100, 25, 50, 75}) {
    built.preset(level).click();
    EXPECT_EQ(displayManager->currentBrightness, level);
    EXPECT_EQ(built.percent().text(), QString("%1%").arg(level));
    EXPECT_DOUBLE_EQ(sliderLevel(built.slider()), level);
  }
  EXPECT_EQ(hudLevels, (std::vector<std::int64_t>{100, 25, 50, 75}));
}

TEST_F(MenuBarViewControllerTest, LaunchAtLoginLogsTheOutcomeAndShowsTheRealStatusOnFailure) {
  const std::tuple<Status, bool, std::string, bool> cases[] = {
      {Status::notRegistered, false, "Successfully registered launch at login", true},
      {Status::enabled, false, "Successfully unregistered launch at login", false},
      {Status::notRegistered, true, "Error toggling launch at login: disk full", false},
      {Status::enabled, true, "Error toggling launch at login: disk full", true}};
  const Controls built = controls();
  for (const auto& [before, fails, line, after] : cases) {
    loginItems->current = before;
    loginItems->failure = fails ? Outcome(platform::LoginItemError{"disk full"}) : std::nullopt;
    controller->updateLaunchAtLoginState();
    testing::internal::CaptureStdout();
    built.checkbox().click();
    EXPECT_EQ(testing::internal::GetCapturedStdout(), "[Glimmerbox] " + line + "\n");
    EXPECT_EQ(built.checkbox().isChecked(), after) << line;
  }
}

TEST_F(MenuBarViewControllerTest, GrantOpensTheAccessHelpAndQuitTerminates) {
  const Controls built = controls();
  built.grant().click();
  built.quit().click();
  EXPECT_EQ(keyboard.opener->opened, std::vector{keyboard.services().accessHelpUrl});
  EXPECT_EQ(terminations, 1);
}

}  // namespace

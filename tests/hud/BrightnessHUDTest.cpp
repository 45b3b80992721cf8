#include "hud/BrightnessHUD.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <QElapsedTimer>
#include <QPalette>
#include <QWindow>

#include "tests/support/EventLoop.h"
#include "tests/support/FakeDisplayServices.h"
#include "tests/support/Rendering.h"

namespace {

using namespace std::chrono_literals;
using testing::IsEmpty;

class BrightnessHUDTest : public ::testing::Test {
 protected:
  std::shared_ptr<testsupport::FakeScreens> screens = std::make_shared<testsupport::FakeScreens>();
  std::unique_ptr<BrightnessHUD> hud = std::make_unique<BrightnessHUD>(screens);
  QWidget& window = hud->window();
};

// Centred 110 pixels above the main screen's visible lower edge, over a
// blurred picture of what lies behind (a black window here); without a main
// screen it stays where it was.
TEST_F(BrightnessHUDTest, ShowsTheLevelInACapsuleAboveTheVisibleLowerEdge) {
  QWidget behind;
  behind.setPalette(QPalette(Qt::black));
  behind.setGeometry(0, 0, 800, 600);
  behind.show();
  ASSERT_TRUE(testsupport::runLoopUntil([&] { return behind.windowHandle()->isExposed(); }, 1s));
  screens->main = platform::Screen{"Virtual", {}, {0, 0, 220, 710}};
  hud->show(50);
  EXPECT_EQ(window.geometry(), QRect(0, 550, 220, 50));
  // The window's shape only cuts the corners where no compositor blends
  // them; the drawing is compared whole.
  window.clearMask();
  EXPECT_THAT(testsupport::differingRegions(testsupport::rendered(window), "hud-50.png"),
              IsEmpty());
  screens->main.reset();
  hud->show(120);
  EXPECT_EQ(window.pos(), QPoint(0, 550));
}

TEST_F(BrightnessHUDTest, EachShowRestartsTheHoldAndAShowDuringTheFadeOutKeepsItUp) {
  QElapsedTimer clock;
  clock.start();
  hud->show(40);
  testsupport::runLoopFor(1000ms);
  hud->show(46);
  qint64 lastShow = clock.elapsed();
  testsupport::runLoopFor(1000ms);  // Past the first show's 1.75 s.
  EXPECT_TRUE(window.isVisible());
  EXPECT_EQ(window.windowOpacity(), 1.0);
  ASSERT_TRUE(testsupport::runLoopUntil([&] { return window.windowOpacity() < 0.9; }, 2s));
  EXPECT_GE(clock.elapsed() - lastShow, 1400) << "the hold follows the last show";
  ASSERT_GT(window.windowOpacity(), 0.0) << "caught during the fade-out";
  hud->show(52);
  lastShow = clock.elapsed();
  testsupport::runLoopFor(500ms);  // Past the end of the interrupted fade-out.
  EXPECT_TRUE(window.isVisible());
  EXPECT_EQ(window.windowOpacity(), 1.0);
  ASSERT_TRUE(testsupport::runLoopUntil([&] { return !window.isVisible(); }, 2s));
  EXPECT_GE(clock.elapsed() - lastShow, 1750);
  EXPECT_LE(clock.elapsed() - lastShow, 1950);
}

}  // namespace

#include <gtest/gtest.h>

#include <QApplication>
#include <QElapsedTimer>
#include <QImage>
#include <QWidget>

#include "app/ui/ProgressIndicator.h"
#include "app/ui/TextField.h"
#include "app/ui/ViewBridge.h"
#include "hud/BrightnessHUD.h"
#include "tests/support/EventLoop.h"
#include "tests/support/FakeDisplayServices.h"

namespace {

using namespace std::chrono_literals;

class BrightnessHUDTest : public ::testing::Test {
 protected:
  std::shared_ptr<testsupport::FakeScreens> screens = std::make_shared<testsupport::FakeScreens>();
  std::shared_ptr<BrightnessHUD> hud = std::make_shared<BrightnessHUD>(screens);
  ui::Panel& panel = *hud->window();
  ui::View& content = *panel.contentView();
  ui::ProgressIndicator& bar = dynamic_cast<ui::ProgressIndicator&>(*content.subviews().at(1));
  ui::TextField& label = dynamic_cast<ui::TextField&>(*content.subviews().at(2));
};

// The level goes into text and bar unchanged; the panel is centred 110 points
// above the main screen's visible lower edge, and stays put without one.
TEST_F(BrightnessHUDTest, ShowsTheLevelUnchangedAboveTheMainScreensVisibleLowerEdge) {
  struct Case {
    std::int64_t level;
    const char* text;
    double filled;
    std::optional<ui::Rect> visibleFrame;
    ui::Point origin;
  } cases[] = {
      {42, "42%", 0.42, ui::Rect{0, 70, 1920, 985}, {850, 180}},        // A panel along the bottom.
      {120, "120%", 1, ui::Rect{1920, -200, 221, 600}, {1920.5, -90}},  // Right of the primary.
      {-5, "-5%", 0, std::nullopt, {1920.5, -90}},
  };
  const auto widgets = QApplication::allWidgets().size();
  for (const auto& c : cases) {
    screens->main.reset();
    if (c.visibleFrame) screens->main = ui::Screen{"DELL U2720Q", {}, *c.visibleFrame};
    hud->show(c.level);
    EXPECT_EQ(label.stringValue(), c.text);
    EXPECT_DOUBLE_EQ(bar.doubleValue(), static_cast<double>(c.level));
    EXPECT_DOUBLE_EQ(bar.fraction(), c.filled) << c.level;
    EXPECT_EQ(panel.frame(), (ui::Rect{c.origin.x, c.origin.y, 220, 50}));
  }
  testsupport::runLoopFor(200ms);
  EXPECT_EQ(QApplication::allWidgets().size(), widgets) << "widgets made for a show";
}

TEST_F(BrightnessHUDTest, DrawsADarkCapsuleWithAWhiteSunAndBar) {
  hud->show(40);
  QWidget* widget = ui::bridge::widgetOf(content);
  QImage image(widget->size(), QImage::Format_ARGB32_Premultiplied);
  image.fill(Qt::transparent);
  widget->render(&image, QPoint(), QRegion(), QWidget::DrawChildren);
  auto isWhite = [&](int x, int y) {
    const QRgb pixel = image.pixel(x, y);
    return qRed(pixel) > 230 && qGreen(pixel) > 230 && qBlue(pixel) > 230;
  };
  EXPECT_EQ(qAlpha(image.pixel(2, 2)) + qAlpha(image.pixel(217, 47)), 0) << "rounded ends";
  const QRgb body = image.pixel(110, 42);
  EXPECT_TRUE(qAlpha(body) > 150 && qRed(body) < 100) << "a dark body, dense under white content";
  EXPECT_TRUE(isWhite(26, 25)) << "the sun's disc";
  EXPECT_TRUE(isWhite(48 + 115 * 0.3, 25)) << "the bar, filled to 40 %";
  EXPECT_FALSE(isWhite(48 + 115 * 0.6, 25)) << "the bar's track beyond 40 %";
}

TEST_F(BrightnessHUDTest, EachShowRestartsTheHoldAndAShowDuringTheFadeOutKeepsThePanel) {
  QElapsedTimer clock;
  clock.start();
  hud->show(40);
  testsupport::runLoopFor(1000ms);
  hud->show(46);
  qint64 lastShow = clock.elapsed();
  testsupport::runLoopFor(1000ms);  // Past the first show's 1.75 s.
  EXPECT_TRUE(panel.isVisible());
  EXPECT_EQ(panel.alphaValue(), 1.0);
  ASSERT_TRUE(testsupport::runLoopUntil([&] { return panel.alphaValue() < 0.9; }, 2s));
  EXPECT_GE(clock.elapsed() - lastShow, 1400) << "the hold follows the last show";
  ASSERT_GT(panel.alphaValue(), 0.0) << "caught during the fade-out";
  hud->show(52);
  lastShow = clock.elapsed();
  testsupport::runLoopFor(500ms);  // Past the end of the interrupted fade-out.
  EXPECT_TRUE(panel.isVisible());
  EXPECT_EQ(panel.alphaValue(), 1.0);
  ASSERT_TRUE(testsupport::runLoopUntil([&] { return !panel.isVisible(); }, 2s));
  EXPECT_GE(clock.elapsed() - lastShow, 1750);
  hud->show(58);  // The fired timer is replaced harmlessly.
  EXPECT_TRUE(panel.isVisible());
  hud.reset();
  testsupport::runLoopFor(1500ms);  // The new timer still fires, into nothing.
}

}  // namespace

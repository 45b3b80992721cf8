#include <gtest/gtest.h>

#include <QApplication>
#include <QElapsedTimer>
#include <QGuiApplication>
#include <QImage>
#include <QWidget>

#include "app/ui/ProgressIndicator.h"
#include "app/ui/TextField.h"
#include "app/ui/ViewBridge.h"
#include "hud/BrightnessHUD.h"
#include "tests/support/EventLoop.h"

namespace {

using namespace std::chrono_literals;

class FakeScreens : public ui::Screens {
 public:
  std::vector<ui::Screen> screens() const override {
    return main ? std::vector<ui::Screen>{*main} : std::vector<ui::Screen>{};
  }
  std::optional<ui::Screen> mainScreen() const override { return main; }
  std::optional<ui::Screen> main;
};

ui::Screen screenWithVisibleFrame(ui::Rect visibleFrame) {
  return {"DELL U2720Q", {visibleFrame.x, 0, visibleFrame.width, 1080}, visibleFrame};
}

class BrightnessHUDTest : public ::testing::Test {
 protected:
  std::shared_ptr<FakeScreens> screens = std::make_shared<FakeScreens>();
  std::shared_ptr<BrightnessHUD> hud = std::make_shared<BrightnessHUD>(screens);
  ui::Panel& panel = *hud->window();

  ui::View& content() { return *panel.contentView(); }
  ui::ProgressIndicator& bar() {
    return dynamic_cast<ui::ProgressIndicator&>(*content().subviews().at(1));
  }
  ui::TextField& label() { return dynamic_cast<ui::TextField&>(*content().subviews().at(2)); }
};

TEST_F(BrightnessHUDTest, IsBuiltOffScreenAndInvisible) {
  EXPECT_FALSE(panel.isVisible());
  EXPECT_EQ(panel.alphaValue(), 0.0);
  EXPECT_EQ(panel.frame(), (ui::Rect{0, 0, 220, 50}));
  ASSERT_EQ(content().subviews().size(), 3u);
  EXPECT_EQ(label().stringValue(), "100%");
}

TEST_F(BrightnessHUDTest, WritesTheLevelUnchangedIntoTextAndBar) {
  struct Case {
    std::int64_t level;
    const char* text;
    double filled;
  } cases[] = {{0, "0%", 0},     {7, "7%", 0.07},  {42, "42%", 0.42},
               {100, "100%", 1}, {120, "120%", 1}, {-5, "-5%", 0}};
  for (const auto& c : cases) {
    hud->show(c.level);
    EXPECT_EQ(label().stringValue(), c.text);
    EXPECT_DOUBLE_EQ(bar().doubleValue(), static_cast<double>(c.level));
    EXPECT_DOUBLE_EQ(bar().fraction(), c.filled) << c.level;
  }
}

TEST_F(BrightnessHUDTest, CentresOnTheMainScreensVisibleAreaAboveItsLowerEdge) {
  struct Case {
    ui::Rect visibleFrame;
    ui::Point origin;
  } cases[] = {
      {{0, 0, 1920, 1055}, {850, 110}},
      {{0, 70, 1920, 985}, {850, 180}},         // A panel along the bottom edge.
      {{1920, -200, 2560, 1440}, {3090, -90}},  // The main screen moved right and lower.
      {{0, 0, 221, 600}, {0.5, 110}},
  };
  for (const auto& c : cases) {
    screens->main = screenWithVisibleFrame(c.visibleFrame);
    hud->show(50);
    EXPECT_EQ(panel.frame(), (ui::Rect{c.origin.x, c.origin.y, 220, 50}));
  }
}

QImage render(ui::View& view) {
  QWidget* widget = ui::bridge::widgetOf(view);
  QImage image(widget->size(), QImage::Format_ARGB32_Premultiplied);
  image.fill(Qt::transparent);
  widget->render(&image, QPoint(), QRegion(), QWidget::DrawChildren);
  return image;
}

bool isWhite(QRgb pixel) { return qRed(pixel) > 230 && qGreen(pixel) > 230 && qBlue(pixel) > 230; }

TEST_F(BrightnessHUDTest, DrawsADarkCapsuleWithAWhiteSunBarAndText) {
  hud->show(40);
  const QImage image = render(content());
  ASSERT_EQ(image.size(), QSize(220, 50));
  EXPECT_EQ(qAlpha(image.pixel(2, 2)), 0) << "rounded end";
  EXPECT_EQ(qAlpha(image.pixel(217, 47)), 0) << "rounded end";
  const QRgb background = image.pixel(110, 42);
  EXPECT_GT(qAlpha(background), 150) << "a body dense enough for white content";
  EXPECT_LT(qRed(background), 100) << "a dark body";
  EXPECT_TRUE(isWhite(image.pixel(26, 25))) << "the sun's disc";
  EXPECT_TRUE(isWhite(image.pixel(48 + 115 * 0.3, 25))) << "the bar, filled to 40 %";
  EXPECT_FALSE(isWhite(image.pixel(48 + 115 * 0.6, 25))) << "the bar's track beyond 40 %";
  int whiteInLabel = 0;
  for (int x = 168; x < 212; ++x) {
    for (int y = 17; y < 33; ++y) {
      whiteInLabel += isWhite(image.pixel(x, y));
    }
  }
  EXPECT_GT(whiteInLabel, 20) << "the text";
}

TEST_F(BrightnessHUDTest, CreatesNoWidgetAfterConstruction) {
  const auto widgets = QApplication::allWidgets().size();
  for (std::int64_t level = 0; level <= 100; level += 6) {
    hud->show(level);
  }
  testsupport::runLoopFor(200ms);
  EXPECT_EQ(QApplication::allWidgets().size(), widgets);
}

TEST_F(BrightnessHUDTest, KeepsItsOriginWithoutAMainScreenAndStillShows) {
  screens->main = screenWithVisibleFrame({0, 0, 1920, 1055});
  hud->show(30);
  screens->main.reset();
  hud->show(40);
  EXPECT_EQ(panel.frame(), (ui::Rect{850, 110, 220, 50}));
  EXPECT_EQ(label().stringValue(), "40%");
  EXPECT_TRUE(panel.isVisible());
}

TEST_F(BrightnessHUDTest, ComesUpWithoutTakingFocusAndFadesInFully) {
  hud->show(40);
  EXPECT_TRUE(panel.isVisible());
  EXPECT_EQ(QGuiApplication::focusWindow(), nullptr);
  EXPECT_TRUE(testsupport::runLoopUntil([&] { return panel.alphaValue() == 1.0; }, 1s));
}

TEST_F(BrightnessHUDTest, ASingleShowLeavesTheScreenAfterHoldAndFade) {
  QElapsedTimer clock;
  clock.start();
  hud->show(40);
  testsupport::runLoopFor(1100ms);
  EXPECT_TRUE(panel.isVisible());
  EXPECT_EQ(panel.alphaValue(), 1.0) << "still holding before 1.4 s";
  ASSERT_TRUE(testsupport::runLoopUntil([&] { return !panel.isVisible(); }, 2s));
  EXPECT_GE(clock.elapsed(), 1750);
  EXPECT_EQ(panel.alphaValue(), 0.0);
  hud->show(41);  // The fired timer is replaced harmlessly.
  EXPECT_TRUE(panel.isVisible());
}

TEST_F(BrightnessHUDTest, ShowsOneSecondApartKeepItUpAndTheFadeFollowsTheLastShow) {
  QElapsedTimer clock;
  clock.start();
  hud->show(40);
  testsupport::runLoopFor(1000ms);
  hud->show(46);
  const qint64 secondShow = clock.elapsed();
  testsupport::runLoopFor(1000ms);  // Past the first show's 1.75 s.
  EXPECT_TRUE(panel.isVisible());
  EXPECT_EQ(panel.alphaValue(), 1.0);
  ASSERT_TRUE(testsupport::runLoopUntil([&] { return !panel.isVisible(); }, 2s));
  EXPECT_GE(clock.elapsed() - secondShow, 1750);
}

TEST_F(BrightnessHUDTest, AShowDuringTheFadeOutBringsItBackAndKeepsItOnScreen) {
  hud->show(40);
  ASSERT_TRUE(testsupport::runLoopUntil([&] { return panel.alphaValue() == 1.0; }, 1s));
  ASSERT_TRUE(testsupport::runLoopUntil([&] { return panel.alphaValue() < 0.9; }, 3s));
  ASSERT_GT(panel.alphaValue(), 0.0) << "caught during the fade-out";
  hud->show(52);
  testsupport::runLoopFor(500ms);  // Past the end of the interrupted fade-out.
  EXPECT_TRUE(panel.isVisible());
  EXPECT_EQ(panel.alphaValue(), 1.0);
  EXPECT_EQ(label().stringValue(), "52%");
}

TEST_F(BrightnessHUDTest, AHUDGoneBeforeItsTimerLeavesNothingBehind) {
  hud->show(40);
  hud.reset();
  testsupport::runLoopFor(1500ms);  // The timer still fires, into nothing.
  EXPECT_EQ(hud, nullptr);
}

using BrightnessHUDDeathTest = BrightnessHUDTest;

TEST(BrightnessHUDDeathTest, RefusesToBeRestoredFromAnArchive) {
  GTEST_FLAG_SET(death_test_style, "threadsafe");
  EXPECT_DEATH(BrightnessHUD{ui::Coder{}}, "init\\(coder:\\) has not been implemented");
}

TEST(BrightnessHUDDeathTest, RefusesAWindowFromOutside) {
  GTEST_FLAG_SET(death_test_style, "threadsafe");
  EXPECT_DEATH(BrightnessHUD{std::make_shared<ui::Panel>(ui::Rect{0, 0, 220, 50})},
               "builds its own panel");
}

}  // namespace

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <QGuiApplication>
#include <QImage>
#include <QScreen>
#include <QSlider>
#include <QWidget>
#include <cmath>

#include "app/ui/AnimationContext.h"
#include "app/ui/Panel.h"
#include "app/ui/Slider.h"
#include "app/ui/TextField.h"
#include "app/ui/View.h"
#include "app/ui/ViewBridge.h"
#include "tests/support/EventLoop.h"

namespace {

using namespace std::chrono_literals;
using ui::Rect;

QRect qtGeometry(const ui::View& view) { return ui::bridge::widgetOf(view)->geometry(); }

// Frames count up from the parent's lower edge, so a subview keeps its
// distance from that edge when the parent's height changes; a nested one
// follows its own parent, not the root.
TEST(View, SubviewsKeepTheirDistanceFromTheLowerEdgeWhenTheParentGrowsAndShrinks) {
  ui::View root(Rect{0, 0, 280, 200});
  auto checkbox = std::make_shared<ui::View>(Rect{16, 52, 125, 20});
  auto banner = std::make_shared<ui::View>(Rect{16, 48, 248, 42});
  auto button = std::make_shared<ui::View>(Rect{168, 8, 72, 26});
  banner->addSubview(button);
  root.addSubview(checkbox);
  root.addSubview(banner);
  EXPECT_EQ(qtGeometry(*checkbox), QRect(16, 128, 125, 20));

  root.setFrame({0, 0, 280, 248});
  EXPECT_EQ(qtGeometry(*checkbox), QRect(16, 176, 125, 20));
  EXPECT_EQ(qtGeometry(*banner), QRect(16, 158, 248, 42));
  EXPECT_EQ(qtGeometry(*button), QRect(168, 8, 72, 26));
  EXPECT_EQ(checkbox->frame(), (Rect{16, 52, 125, 20}));

  checkbox->setFrameOrigin({16, 100});  // The taller layout moves the row up.
  EXPECT_EQ(qtGeometry(*checkbox), QRect(16, 128, 125, 20));
  root.setFrame({0, 0, 280, 200});
  EXPECT_EQ(qtGeometry(*checkbox), QRect(16, 80, 125, 20));
}

// Only a layer draws: a rounded background with its border on the edge.
TEST(View, ALayerDrawsARoundedBackgroundWithABorderInsideTheBounds) {
  ui::View view(Rect{0, 0, 100, 40});
  view.setWantsLayer(true);
  view.layer()->setBackgroundColor(ui::Color{0, 0, 1, 1});
  view.layer()->setCornerRadius(20);
  view.layer()->setBorderColor(ui::Color{1, 0, 0, 1});
  view.layer()->setBorderWidth(2);
  QImage image(100, 40, QImage::Format_ARGB32_Premultiplied);
  image.fill(Qt::transparent);
  ui::bridge::widgetOf(view)->render(&image, QPoint(), QRegion(), QWidget::DrawChildren);
  EXPECT_EQ(qAlpha(image.pixel(1, 1)), 0) << "the rounded corner is cut off";
  EXPECT_EQ(image.pixel(50, 20), qRgb(0, 0, 255));
  EXPECT_EQ(image.pixel(50, 0), qRgb(255, 0, 0)) << "the border lies on the edge";
}

// Shown, it takes its rounded content's shape, so corners are cut even
// without a compositor.
TEST(Panel, NeverTakesFocusStaysOnTopAndShowsItsUnflippedFrameInItsContentsShape) {
  ui::Panel panel(Rect{0, 0, 220, 50});
  panel.setOpaque(false);
  panel.setLevel(ui::WindowLevel::Floating);
  auto capsule = std::make_shared<ui::View>(Rect{0, 0, 10, 10});
  capsule->setWantsLayer(true);
  capsule->layer()->setCornerRadius(25);
  capsule->layer()->setMasksToBounds(true);
  panel.setContentView(capsule);
  QWidget* window = ui::bridge::widgetOf(*capsule)->window();
  EXPECT_TRUE(window->windowFlags().testFlag(Qt::WindowDoesNotAcceptFocus));
  EXPECT_TRUE(window->windowFlags().testFlag(Qt::WindowStaysOnTopHint));
  EXPECT_EQ(capsule->frame(), (Rect{0, 0, 220, 50})) << "the content fills the panel";
  panel.setFrameOrigin({290, 110});
  const int screenHeight = QGuiApplication::primaryScreen()->geometry().height();
  EXPECT_EQ(window->geometry(), QRect(290, screenHeight - 160, 220, 50));

  panel.orderFrontRegardless();
  const QRegion shape = window->mask();
  for (QPoint corner : {QPoint(1, 1), QPoint(218, 48)}) EXPECT_FALSE(shape.contains(corner));
  for (QPoint inside : {QPoint(110, 1), QPoint(2, 25)}) EXPECT_TRUE(shape.contains(inside));
}

TEST(PanelAnimation, AnInterruptedGroupStillCompletesButNotInsideTheInterruptingCall) {
  ui::Panel panel(Rect{0, 0, 220, 50});
  std::vector<std::string> events;
  double alphaAtFadeOutCompletion = -1;
  ui::AnimationContext::runAnimationGroup(
      [&](ui::AnimationContext& context) {
        context.setDuration(0.35);
        panel.animator().setAlphaValue(0.0);
      },
      [&] {
        events.push_back("fade-out completed");
        alphaAtFadeOutCompletion = panel.alphaValue();
      });
  ASSERT_TRUE(testsupport::runLoopUntil([&] { return panel.alphaValue() < 1.0; }, 1s));
  ui::AnimationContext::runAnimationGroup([&](ui::AnimationContext& context) {
    context.setDuration(0.15);
    panel.animator().setAlphaValue(1.0);
  });
  events.push_back("fade-in started");
  ASSERT_TRUE(testsupport::runLoopUntil([&] { return panel.alphaValue() == 1.0; }, 2s));
  EXPECT_EQ(events, (std::vector<std::string>{"fade-in started", "fade-out completed"}));
  EXPECT_GT(alphaAtFadeOutCompletion, 0.0);
}

TEST(PanelAnimation, AGroupThatAnimatesNothingCompletesOnALaterTurn) {
  bool completed = false;
  ui::AnimationContext::runAnimationGroup([](ui::AnimationContext&) {}, [&] { completed = true; });
  EXPECT_FALSE(completed);
  testsupport::drainMainQueue();
  EXPECT_TRUE(completed);
}

// A drag over the knob positions given as shares of the track: the popover's
// continuous slider sends each step with itself as sender. Values set from
// code are clamped and send nothing.
TEST(Slider, AContinuousSliderSendsEveryStepOfADrag) {
  std::vector<double> sent;
  ui::Slider slider(250, 0, 100, [&](ui::Slider& sender) {
    EXPECT_EQ(&sender, &slider);
    sent.push_back(sender.doubleValue());
  });
  EXPECT_DOUBLE_EQ(slider.doubleValue(), 100);
  slider.setDoubleValue(-5);
  EXPECT_DOUBLE_EQ(slider.doubleValue(), 0);
  slider.setContinuous(true);
  auto* widget = static_cast<QSlider*>(ui::bridge::widgetOf(slider));
  widget->setSliderDown(true);
  for (double share : {0.495, 0.4949, 0.3}) {
    widget->setSliderPosition(static_cast<int>(std::lround(share * widget->maximum())));
  }
  widget->setSliderDown(false);
  EXPECT_THAT(sent, testing::Pointwise(testing::DoubleEq(), std::vector<double>{49.5, 49.49, 30}));
}

// The banner's text is a few pixels wider than its frame in the common
// desktop fonts: it must read whole, tightened, not lose its last word.
TEST(TextField, TightensSlightlyBeforeCuttingItsTail) {
  ui::TextField label(Rect{30, 12, 135, 18});
  label.setFont(ui::Font::systemFont(10, ui::FontWeight::Medium));
  label.setLineBreakMode(ui::LineBreakMode::TruncatingTail);
  label.setStringValue("Key control requires access");
  EXPECT_EQ(label.displayedText(), "Key control requires access");
  label.setStringValue("Key control requires access to every keyboard");
  EXPECT_TRUE(label.displayedText().ends_with("\u2026"));
}

}  // namespace

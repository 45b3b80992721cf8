#include <gtest/gtest.h>

#include <QGuiApplication>
#include <QScreen>
#include <QWidget>

#include "app/ui/AnimationContext.h"
#include "app/ui/Panel.h"
#include "app/ui/ViewBridge.h"
#include "tests/support/EventLoop.h"

namespace {

using namespace std::chrono_literals;

QWidget* windowOf(ui::Panel& panel) { return ui::bridge::widgetOf(*panel.contentView())->window(); }

std::unique_ptr<ui::Panel> hudLikePanel() {
  auto panel = std::make_unique<ui::Panel>(ui::Rect{0, 0, 220, 50});
  panel->setOpaque(false);
  panel->setLevel(ui::WindowLevel::Floating);
  panel->setCollectionBehavior(ui::CollectionBehaviorCanJoinAllSpaces |
                               ui::CollectionBehaviorStationary |
                               ui::CollectionBehaviorIgnoresCycle);
  panel->setAlphaValue(0);
  panel->setContentView(std::make_shared<ui::View>(ui::Rect{0, 0, 10, 10}));
  return panel;
}

// Shown, it takes its rounded content's shape, so corners are cut even
// without a compositor.
TEST(Panel, NeverTakesFocusStaysOnTopAndShowsItsUnflippedFrameInItsContentsShape) {
  auto panel = hudLikePanel();
  QWidget* window = windowOf(*panel);
  for (Qt::WindowType flag : {Qt::WindowDoesNotAcceptFocus, Qt::WindowStaysOnTopHint}) {
    EXPECT_TRUE(window->windowFlags().testFlag(flag)) << flag;
  }
  auto capsule = std::make_shared<ui::View>(ui::Rect{0, 0, 10, 10});
  capsule->setWantsLayer(true);
  capsule->layer()->setCornerRadius(25);
  capsule->layer()->setMasksToBounds(true);
  panel->setContentView(capsule);
  EXPECT_EQ(capsule->frame(), (ui::Rect{0, 0, 220, 50})) << "the content fills the panel";
  panel->setFrameOrigin({290, 110});
  EXPECT_EQ(panel->frame(), (ui::Rect{290, 110, 220, 50}));
  const int screenHeight = QGuiApplication::primaryScreen()->geometry().height();
  EXPECT_EQ(window->geometry(), QRect(290, screenHeight - 160, 220, 50));

  panel->orderFrontRegardless();
  EXPECT_TRUE(panel->isVisible());
  EXPECT_EQ(QGuiApplication::focusWindow(), nullptr);
  const QRegion shape = window->mask();
  for (QPoint corner : {QPoint(1, 1), QPoint(218, 48)}) EXPECT_FALSE(shape.contains(corner));
  for (QPoint inside : {QPoint(110, 1), QPoint(2, 25)}) EXPECT_TRUE(shape.contains(inside));
  panel->orderOut();
  EXPECT_FALSE(panel->isVisible());
}

TEST(PanelAnimation, AnInterruptedGroupStillCompletesButNotInsideTheInterruptingCall) {
  auto panel = hudLikePanel();
  panel->setAlphaValue(1);
  std::vector<std::string> events;
  double alphaAtFadeOutCompletion = -1;
  ui::AnimationContext::runAnimationGroup(
      [&](ui::AnimationContext& context) {
        context.setDuration(0.35);
        panel->animator().setAlphaValue(0.0);
      },
      [&] {
        events.push_back("fade-out completed");
        alphaAtFadeOutCompletion = panel->alphaValue();
      });
  ASSERT_TRUE(testsupport::runLoopUntil([&] { return panel->alphaValue() < 1.0; }, 1s));
  ui::AnimationContext::runAnimationGroup([&](ui::AnimationContext& context) {
    context.setDuration(0.15);
    panel->animator().setAlphaValue(1.0);
  });
  events.push_back("fade-in started");
  ASSERT_TRUE(testsupport::runLoopUntil([&] { return panel->alphaValue() == 1.0; }, 2s));
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

}  // namespace

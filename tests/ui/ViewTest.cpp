#include <gtest/gtest.h>

#include <QImage>
#include <QWidget>

#include "app/ui/View.h"
#include "app/ui/ViewBridge.h"
#include "app/ui/ViewGeometry.h"

namespace {

using ui::Rect;

QRect qtGeometry(const ui::View& view) { return ui::bridge::widgetOf(view)->geometry(); }

TEST(ViewGeometry, MeasuresFromTheTopEdgeWhatIsGivenFromTheBottomEdge) {
  struct Case {
    Rect frame;
    double parentHeight;
    Rect expected;
  } cases[] = {
      {{16, 168, 170, 20}, 200, {16, 12, 170, 20}}, {{16, 168, 170, 20}, 248, {16, 60, 170, 20}},
      {{0, 0, 280, 200}, 200, {0, 0, 280, 200}},    {{0, 38, 280, 1}, 200, {0, 161, 280, 1}},
      {{5, -10, 10, 10}, 50, {5, 50, 10, 10}},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(ui::topDownRect(c.frame, c.parentHeight), c.expected)
        << c.frame.y << " in " << c.parentHeight;
  }
}

TEST(View, SubviewsKeepTheirDistanceFromTheLowerEdgeWhenTheParentGrowsAndShrinks) {
  ui::View root(Rect{0, 0, 280, 200});
  auto checkbox = std::make_shared<ui::View>(Rect{16, 52, 125, 20});
  auto title = std::make_shared<ui::View>(Rect{16, 168, 170, 20});
  root.addSubview(checkbox);
  root.addSubview(title);
  EXPECT_EQ(qtGeometry(*checkbox), QRect(16, 128, 125, 20));

  root.setFrame({0, 0, 280, 248});
  EXPECT_EQ(qtGeometry(root), QRect(0, 0, 280, 248));
  EXPECT_EQ(qtGeometry(*checkbox), QRect(16, 176, 125, 20));
  EXPECT_EQ(qtGeometry(*title), QRect(16, 60, 170, 20));
  EXPECT_EQ(checkbox->frame(), (Rect{16, 52, 125, 20}));

  checkbox->setFrameOrigin({16, 100});  // The taller layout moves the row up.
  EXPECT_EQ(qtGeometry(*checkbox), QRect(16, 128, 125, 20));

  root.setFrame({0, 0, 280, 200});
  EXPECT_EQ(qtGeometry(*checkbox), QRect(16, 80, 125, 20));
  EXPECT_EQ(qtGeometry(*title), QRect(16, 12, 170, 20));
}

TEST(View, NestedSubviewsFollowTheirOwnParentNotTheRoot) {
  ui::View root(Rect{0, 0, 280, 248});
  auto banner = std::make_shared<ui::View>(Rect{16, 48, 248, 42});
  auto button = std::make_shared<ui::View>(Rect{168, 8, 72, 26});
  banner->addSubview(button);
  root.addSubview(banner);
  EXPECT_EQ(qtGeometry(*banner), QRect(16, 158, 248, 42));
  EXPECT_EQ(qtGeometry(*button), QRect(168, 8, 72, 26));
  root.setFrame({0, 0, 280, 200});
  EXPECT_EQ(qtGeometry(*button), QRect(168, 8, 72, 26));
}

TEST(View, LaterSubviewsDrawOverEarlierOnesAndHidingTakesTheSubviewsAlong) {
  ui::View root(Rect{0, 0, 100, 100});
  auto first = std::make_shared<ui::View>(Rect{0, 0, 50, 50});
  auto second = std::make_shared<ui::View>(Rect{0, 0, 50, 50});
  auto inner = std::make_shared<ui::View>(Rect{0, 0, 10, 10});
  root.addSubview(first);
  root.addSubview(second);
  first->addSubview(inner);
  ASSERT_EQ(root.subviews().size(), 2u);
  EXPECT_EQ(root.subviews()[1], second);
  const QObjectList& stack = ui::bridge::widgetOf(root)->children();
  EXPECT_EQ(stack.indexOf(ui::bridge::widgetOf(*first)), 0);
  EXPECT_EQ(stack.indexOf(ui::bridge::widgetOf(*second)), 1);

  QWidget* rootWidget = ui::bridge::widgetOf(root);
  first->setHidden(true);
  EXPECT_FALSE(ui::bridge::widgetOf(*inner)->isVisibleTo(rootWidget));
  EXPECT_FALSE(inner->isHidden());
  first->setHidden(false);
  EXPECT_TRUE(ui::bridge::widgetOf(*inner)->isVisibleTo(rootWidget));
}

TEST(View, ASubviewHeldElsewhereOutlivesItsParent) {
  auto child = std::make_shared<ui::View>(Rect{1, 2, 3, 4});
  {
    ui::View parent(Rect{0, 0, 10, 10});
    parent.addSubview(child);
    EXPECT_EQ(child->superview(), &parent);
  }
  EXPECT_EQ(child->superview(), nullptr);
  ASSERT_NE(ui::bridge::widgetOf(*child), nullptr);
  child->setFrame({0, 0, 5, 5});
  EXPECT_FALSE(ui::bridge::widgetOf(*child)->isVisible());
}

QImage render(const ui::View& view) {
  QWidget* widget = ui::bridge::widgetOf(view);
  QImage image(widget->size(), QImage::Format_ARGB32_Premultiplied);
  image.fill(Qt::transparent);
  widget->render(&image, QPoint(), QRegion(), QWidget::DrawChildren);
  return image;
}

TEST(View, ALayerDrawsARoundedBackgroundWithABorderInsideTheBounds) {
  ui::View view(Rect{0, 0, 100, 40});
  view.setWantsLayer(true);
  ASSERT_NE(view.layer(), nullptr);
  view.layer()->setBackgroundColor(ui::Color{0, 0, 1, 1});
  view.layer()->setCornerRadius(20);
  view.layer()->setBorderColor(ui::Color{1, 0, 0, 1});
  view.layer()->setBorderWidth(2);
  const QImage image = render(view);
  EXPECT_EQ(qAlpha(image.pixel(1, 1)), 0) << "the rounded corner is cut off";
  EXPECT_EQ(image.pixel(50, 20), qRgb(0, 0, 255));
  EXPECT_EQ(image.pixel(50, 0), qRgb(255, 0, 0)) << "the border lies on the edge";
}

TEST(View, WithoutALayerAViewDrawsNothing) {
  ui::View view(Rect{0, 0, 10, 10});
  EXPECT_EQ(view.layer(), nullptr);
  EXPECT_EQ(qAlpha(render(view).pixel(5, 5)), 0);
}

}  // namespace

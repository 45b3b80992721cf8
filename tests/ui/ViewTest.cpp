#include <gtest/gtest.h>

#include <QImage>
#include <QWidget>

#include "app/ui/View.h"
#include "app/ui/ViewBridge.h"

namespace {

using ui::Rect;

QRect qtGeometry(const ui::View& view) { return ui::bridge::widgetOf(view)->geometry(); }

// Frames count up from the parent's lower edge, so a subview keeps its
// distance from that edge when the parent's height changes; a nested one
// follows its own parent, not the root.
TEST(View, SubviewsKeepTheirDistanceFromTheLowerEdgeWhenTheParentGrowsAndShrinks) {
  ui::View root(Rect{0, 0, 280, 200});
  auto checkbox = std::make_shared<ui::View>(Rect{16, 52, 125, 20});
  auto title = std::make_shared<ui::View>(Rect{16, 168, 170, 20});
  auto banner = std::make_shared<ui::View>(Rect{16, 48, 248, 42});
  auto button = std::make_shared<ui::View>(Rect{168, 8, 72, 26});
  banner->addSubview(button);
  for (const auto& view : {checkbox, title, banner}) root.addSubview(view);
  EXPECT_EQ(qtGeometry(*checkbox), QRect(16, 128, 125, 20));

  root.setFrame({0, 0, 280, 248});
  EXPECT_EQ(qtGeometry(root), QRect(0, 0, 280, 248));
  EXPECT_EQ(qtGeometry(*checkbox), QRect(16, 176, 125, 20));
  EXPECT_EQ(qtGeometry(*title), QRect(16, 60, 170, 20));
  EXPECT_EQ(qtGeometry(*banner), QRect(16, 158, 248, 42));
  EXPECT_EQ(qtGeometry(*button), QRect(168, 8, 72, 26));
  EXPECT_EQ(checkbox->frame(), (Rect{16, 52, 125, 20}));

  checkbox->setFrameOrigin({16, 100});  // The taller layout moves the row up.
  EXPECT_EQ(qtGeometry(*checkbox), QRect(16, 128, 125, 20));

  root.setFrame({0, 0, 280, 200});
  EXPECT_EQ(qtGeometry(*checkbox), QRect(16, 80, 125, 20));
  EXPECT_EQ(qtGeometry(*title), QRect(16, 12, 170, 20));
  EXPECT_EQ(qtGeometry(*button), QRect(168, 8, 72, 26));
}

// Only a layer draws: a rounded background with its border on the edge.
TEST(View, ALayerDrawsARoundedBackgroundWithABorderInsideTheBounds) {
  ui::View view(Rect{0, 0, 100, 40});
  auto render = [&view] {
    QImage image(100, 40, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    ui::bridge::widgetOf(view)->render(&image, QPoint(), QRegion(), QWidget::DrawChildren);
    return image;
  };
  EXPECT_EQ(view.layer(), nullptr);
  EXPECT_EQ(qAlpha(render().pixel(50, 20)), 0) << "nothing drawn without a layer";
  view.setWantsLayer(true);
  ASSERT_NE(view.layer(), nullptr);
  view.layer()->setBackgroundColor(ui::Color{0, 0, 1, 1});
  view.layer()->setCornerRadius(20);
  view.layer()->setBorderColor(ui::Color{1, 0, 0, 1});
  view.layer()->setBorderWidth(2);
  const QImage image = render();
  EXPECT_EQ(qAlpha(image.pixel(1, 1)), 0) << "the rounded corner is cut off";
  EXPECT_EQ(image.pixel(50, 20), qRgb(0, 0, 255));
  EXPECT_EQ(image.pixel(50, 0), qRgb(255, 0, 0)) << "the border lies on the edge";
}

}  // namespace

#include <gtest/gtest.h>

#include <QColor>
#include <QImage>

#include "app/MonitorSunIcon.h"
#include "app/ui/ImageBridge.h"

namespace {

// Rendered large, so a point a fraction of a point clear of a stroke lands on
// pixels that antialiasing leaves untouched.
constexpr int kPixelsPerPoint = 8;
constexpr double kSide = 18.0;

// The icon's own drawing, without template treatment.
QImage renderUntinted(ui::Rect destination = {0, 0, kSide, kSide}) {
  auto icon = createMonitorSunIcon();
  auto handler = icon->drawingHandler();
  auto plain = ui::Image::drawn(icon->size(), icon->isFlipped(),
                                [handler, destination](ui::Rect) { return handler(destination); });
  const int side = static_cast<int>(kSide) * kPixelsPerPoint;
  return ui::bridge::renderImage(*plain, QSize(side, side), Qt::red);
}

// A template image: pure black on transparent, inked where the figure lies
// (in the icon's y-up points: the sun at (9, 10.75), the outline's left edge,
// the neck) and clear around it.
TEST(MonitorSunIconTest, InksPureBlackOnTransparentExactlyWhereTheFigureLies) {
  const std::tuple<double, double, bool> probes[] = {{9.0, 10.75, true},  {1.0, 10.75, true},
                                                     {2.0, 10.75, false}, {9.0, 3.6, true},
                                                     {10.2, 3.6, false},  {9.0, 1.0, false}};
  const QImage image = renderUntinted();
  EXPECT_EQ(renderUntinted({0, 0, 100, 40}), image) << "the destination given is ignored";
  for (int y = 0; y < image.height(); ++y) {
    for (int x = 0; x < image.width(); ++x) {
      ASSERT_TRUE(qAlpha(image.pixel(x, y)) == 0 || (image.pixel(x, y) & 0xFFFFFF) == 0)
          << "not black at " << x << "," << y;
    }
  }
  for (const auto& [x, y, inked] : probes) {
    const QPoint pixel(static_cast<int>(x * kPixelsPerPoint),
                       static_cast<int>((kSide - y) * kPixelsPerPoint));
    EXPECT_EQ(qAlpha(image.pixel(pixel)) > 0, inked) << x << "," << y;
  }
}

}  // namespace

#include <gtest/gtest.h>

#include <QColor>
#include <QImage>
#include <cmath>
#include <numbers>

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

// Points of the icon's y-up space, inked or clear: the sun at (9, 10.75)
// with rays from radius 2.7 to 4, the monitor outline, the neck and the
// round-capped base.
TEST(MonitorSunIconTest, InksPureBlackOnTransparentExactlyWhereTheFigureLies) {
  struct Probe {
    const char* what;
    double x, y;
    bool inked;
  };
  const Probe probes[] = {
      {"sun centre", 9.0, 10.75, true},
      {"ray start, right", 11.7, 10.75, true},
      {"ray end, up", 9.0, 14.75, true},
      {"between the rays", 9.0 + 3.4 * std::cos(std::numbers::pi / 8),
       10.75 + 3.4 * std::sin(std::numbers::pi / 8), false},
      {"body left edge", 1.0, 10.75, true},
      {"left of the outline", 0.15, 10.75, false},
      {"inside the outline", 2.0, 10.75, false},
      {"neck", 9.0, 3.6, true},
      {"beside the neck", 10.2, 3.6, false},
      {"base round cap", 4.95, 2.0, true},
      {"below the base", 9.0, 1.0, false},
  };
  const QImage image = renderUntinted();
  EXPECT_EQ(renderUntinted({0, 0, 100, 40}), image) << "the destination given is ignored";
  for (int y = 0; y < image.height(); ++y) {
    for (int x = 0; x < image.width(); ++x) {
      const QRgb pixel = image.pixel(x, y);
      ASSERT_TRUE(qAlpha(pixel) == 0 || (pixel & 0xFFFFFF) == 0)
          << "not black at " << x << "," << y;
    }
  }
  for (const Probe& p : probes) {
    const QPoint pixel(static_cast<int>(p.x * kPixelsPerPoint),
                       static_cast<int>((kSide - p.y) * kPixelsPerPoint));
    EXPECT_EQ(qAlpha(image.pixel(pixel)) > 0, p.inked) << p.what << " at " << p.x << "," << p.y;
  }
}

}  // namespace

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
// with eight rays from radius 2.7 to 4, the rounded monitor outline, the
// neck and the round-capped base.
TEST(MonitorSunIconTest, InksPureBlackOnTransparentExactlyWhereTheFigureLies) {
  struct Probe {
    const char* what;
    double x, y;
    bool inked;
  };
  std::vector<Probe> probes = {
      {"sun centre", 9.0, 10.75, true},
      {"body left edge", 1.0, 10.75, true},
      {"body top edge", 9.0, 16.5, true},
      {"body bottom edge", 4.0, 5.0, true},
      {"outline outer reach left", 0.45, 10.75, true},
      {"left of the outline", 0.15, 10.75, false},
      {"inside the outline", 2.0, 10.75, false},
      {"above the outline", 9.0, 17.5, false},
      {"rounded corner cut away", 0.8, 16.8, false},
      {"neck", 9.0, 3.6, true},
      {"beside the neck", 10.2, 3.6, false},
      {"base round cap", 4.95, 2.0, true},
      {"beyond the base", 4.6, 2.0, false},
      {"below the base", 9.0, 1.0, false},
  };
  for (int k = 0; k < 8; ++k) {
    for (const auto& [what, radius, turn, inked] : {std::tuple("ray start", 2.7, 0.0, true),
                                                    {"ray end", 4.0, 0.0, true},
                                                    {"between rays", 3.4, 0.5, false}}) {
      const double angle = (k + turn) * std::numbers::pi / 4;
      probes.push_back(
          {what, 9.0 + radius * std::cos(angle), 10.75 + radius * std::sin(angle), inked});
    }
  }
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

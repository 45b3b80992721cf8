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

// Drawn as the tray draws it, a template keeping only where ink lies: on the
// figure (in the icon's y-up points: the sun at (9, 10.75), the outline's left
// edge, the neck) and not around it.
TEST(MonitorSunIconTest, InksExactlyWhereTheFigureLies) {
  const std::tuple<double, double, bool> probes[] = {{9.0, 10.75, true},  {1.0, 10.75, true},
                                                     {2.0, 10.75, false}, {9.0, 3.6, true},
                                                     {10.2, 3.6, false},  {9.0, 1.0, false}};
  const int side = static_cast<int>(kSide) * kPixelsPerPoint;
  const QImage image = ui::bridge::renderImage(*createMonitorSunIcon(), {side, side}, Qt::red);
  for (const auto& [x, y, inked] : probes) {
    const QPoint pixel(static_cast<int>(x * kPixelsPerPoint),
                       static_cast<int>((kSide - y) * kPixelsPerPoint));
    EXPECT_EQ(qAlpha(image.pixel(pixel)) > 0, inked) << x << "," << y;
  }
}

}  // namespace

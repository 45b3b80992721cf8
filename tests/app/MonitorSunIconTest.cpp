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

// The pixel under a point of the icon's y-up space.
QColor at(const QImage& image, double x, double y) {
  return image.pixelColor(static_cast<int>(x * kPixelsPerPoint),
                          static_cast<int>((kSide - y) * kPixelsPerPoint));
}

TEST(MonitorSunIconTest, IsPureBlackOnTransparent) {
  QImage image = renderUntinted();
  int opaque = 0;
  for (int y = 0; y < image.height(); ++y) {
    for (int x = 0; x < image.width(); ++x) {
      QColor pixel = image.pixelColor(x, y);
      if (pixel.alpha() == 0) {
        continue;
      }
      ++opaque;
      ASSERT_EQ(pixel.rgb() & 0xFFFFFF, 0u) << "at " << x << "," << y;
    }
  }
  EXPECT_GT(opaque, 0);
}

TEST(MonitorSunIconTest, IgnoresTheDestinationItIsGiven) {
  EXPECT_EQ(renderUntinted({0, 0, 100, 40}), renderUntinted());
}

struct Probe {
  const char* what;
  double x;
  double y;
  bool inked;
  friend void PrintTo(const Probe& c, std::ostream* os) { *os << c.what; }
};

class MonitorSunIconShapeTest : public ::testing::TestWithParam<Probe> {};

TEST_P(MonitorSunIconShapeTest, InksExactlyWhereTheFigureLies) {
  static const QImage image = renderUntinted();
  const Probe& p = GetParam();
  EXPECT_EQ(at(image, p.x, p.y).alpha() > 0, p.inked) << p.what << " at " << p.x << "," << p.y;
}

std::vector<Probe> rayProbes() {
  std::vector<Probe> probes;
  for (int k = 0; k < 8; ++k) {
    double angle = k * std::numbers::pi / 4;
    auto point = [angle](double radius) {
      return std::pair{9.0 + radius * std::cos(angle), 10.75 + radius * std::sin(angle)};
    };
    auto [startX, startY] = point(2.7);
    auto [endX, endY] = point(4.0);
    probes.push_back({"ray start", startX, startY, true});
    probes.push_back({"ray end", endX, endY, true});
    double between = angle + std::numbers::pi / 8;
    probes.push_back(
        {"between rays", 9.0 + 3.4 * std::cos(between), 10.75 + 3.4 * std::sin(between), false});
  }
  return probes;
}

std::vector<Probe> figureProbes() {
  std::vector<Probe> probes = {
      {"sun centre", 9.0, 10.75, true},
      {"body left edge", 1.0, 10.75, true},
      {"body right edge", 17.0, 10.75, true},
      {"body top edge", 9.0, 16.5, true},
      {"body bottom edge", 4.0, 5.0, true},
      {"outline outer reach left", 0.45, 10.75, true},
      {"left of the outline", 0.15, 10.75, false},
      {"inside the outline", 2.0, 10.75, false},
      {"above the outline", 9.0, 17.5, false},
      {"rounded corner cut away", 0.8, 16.8, false},
      {"neck", 9.0, 3.6, true},
      {"beside the neck", 10.2, 3.6, false},
      {"base middle", 9.0, 2.0, true},
      {"base round cap", 4.95, 2.0, true},
      {"beyond the base", 4.6, 2.0, false},
      {"below the base", 9.0, 1.0, false},
  };
  std::vector<Probe> rays = rayProbes();
  probes.insert(probes.end(), rays.begin(), rays.end());
  return probes;
}

INSTANTIATE_TEST_SUITE_P(Figure, MonitorSunIconShapeTest, ::testing::ValuesIn(figureProbes()));

}  // namespace

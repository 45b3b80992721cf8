#include "tests/support/Rendering.h"

#include <QDir>
#include <cstdlib>

namespace testsupport {

namespace {
constexpr int kTile = 10;
// The mean difference per colour channel a square may have: antialiasing
// noise passes, a control moved by a pixel or a changed colour does not.
constexpr int kMeanTolerance = 3;

int difference(QRgb a, QRgb b) {
  return std::abs(qRed(a) - qRed(b)) + std::abs(qGreen(a) - qGreen(b)) +
         std::abs(qBlue(a) - qBlue(b)) + std::abs(qAlpha(a) - qAlpha(b));
}

bool differs(const QImage& a, const QImage& b, const QRect& tile) {
  long total = 0;
  for (int y = tile.top(); y <= tile.bottom(); ++y) {
    for (int x = tile.left(); x <= tile.right(); ++x) {
      total += difference(a.pixel(x, y), b.pixel(x, y));
    }
  }
  return total > static_cast<long>(kMeanTolerance) * 4 * tile.width() * tile.height();
}
}  // namespace

QImage rendered(QWidget& widget) {
  QImage image(widget.size(), QImage::Format_ARGB32_Premultiplied);
  image.fill(Qt::transparent);
  widget.render(&image, QPoint(), QRegion(), QWidget::DrawChildren);
  return image;
}

std::vector<QRect> differingRegions(const QImage& actual, const QString& reference) {
  const QImage expected = QImage(QStringLiteral(GLIMMERBOX_TESTS_DIR "/references/") + reference)
                              .convertToFormat(QImage::Format_ARGB32_Premultiplied);
  const QImage shown = actual.convertToFormat(QImage::Format_ARGB32_Premultiplied);
  std::vector<QRect> regions;
  for (int y = 0; y < shown.height(); y += kTile) {
    for (int x = 0; x < shown.width(); x += kTile) {
      const QRect tile = QRect(x, y, kTile, kTile).intersected(shown.rect());
      if (expected.size() != shown.size() || differs(shown, expected, tile)) {
        regions.push_back(tile);
      }
    }
  }
  if (!regions.empty()) {
    shown.save(QDir::temp().filePath(QStringLiteral("actual-") + reference));
  }
  return regions;
}

}  // namespace testsupport

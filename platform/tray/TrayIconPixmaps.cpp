#include "platform/tray/TrayIconPixmaps.h"

#include <QImage>
#include <QPainter>
#include <QPixmap>
#include <algorithm>

namespace platform {
namespace {

constexpr int kSizes[] = {16, 22, 24, 32, 48, 64};
// The halo is one pixel wide per 22 pixels of icon: visible, not a blot.
constexpr int kPixelsPerHaloPixel = 22;

// Every pixel within `radius` of the figure, in `colour`, the figure's own
// pixels over it.
QImage withHalo(const QImage& figure, const QColor& colour, int radius) {
  QImage out(figure.size(), QImage::Format_ARGB32_Premultiplied);
  out.fill(Qt::transparent);
  for (int y = 0; y < figure.height(); ++y) {
    for (int x = 0; x < figure.width(); ++x) {
      int alpha = 0;
      for (int dy = -radius; dy <= radius; ++dy) {
        for (int dx = -radius; dx <= radius; ++dx) {
          if (figure.rect().contains(x + dx, y + dy)) {
            alpha = std::max(alpha, qAlpha(figure.pixel(x + dx, y + dy)));
          }
        }
      }
      QColor halo = colour;
      halo.setAlpha(alpha * colour.alpha() / 255);
      out.setPixelColor(x, y, halo);
    }
  }
  QPainter painter(&out);
  painter.drawImage(0, 0, figure);
  return out;
}

QImage tinted(const QIcon& shape, int side, const QColor& colour) {
  QImage image(side, side, QImage::Format_ARGB32_Premultiplied);
  image.fill(Qt::transparent);
  QPainter painter(&image);
  shape.paint(&painter, image.rect());
  painter.setCompositionMode(QPainter::CompositionMode_SourceIn);
  painter.fillRect(image.rect(), colour);
  return image;
}

}  // namespace

QIcon trayIconPixmaps(const QIcon& shape, const QColor& figure, std::optional<QColor> halo) {
  QIcon icon;
  for (int size : kSizes) {
    // The figure fills its square; with a halo it shrinks to leave the halo room.
    const int radius = halo ? std::max(1, size / kPixelsPerHaloPixel) : 0;
    QImage pixels(size, size, QImage::Format_ARGB32_Premultiplied);
    pixels.fill(Qt::transparent);
    QPainter(&pixels).drawImage(radius, radius, tinted(shape, size - 2 * radius, figure));
    icon.addPixmap(QPixmap::fromImage(halo ? withHalo(pixels, *halo, radius) : pixels));
  }
  return icon;
}

}  // namespace platform

#include "app/ui/ImageBridge.h"

#include <QIconEngine>
#include <QPixmap>

#include "app/ui/DrawingContext.h"
#include "app/ui/SymbolPainter.h"

namespace ui::bridge {

namespace {

void paintSymbol(QPainter& painter, const Image& image, const QRectF& target, const QColor& tint) {
  const double side = std::min(target.width(), target.height());
  const QRectF box(target.center() - QPointF(side / 2, side / 2), QSizeF(side, side));
  const FontWeight weight =
      image.symbolConfiguration() ? image.symbolConfiguration()->weight : FontWeight::Regular;
  painter.save();
  painter.setRenderHint(QPainter::Antialiasing);
  painter.fillPath(SymbolPainter::outline(image.symbolName(), box, weight), tint);
  painter.restore();
}

void callHandler(QPainter& painter, const Image& image, const QRectF& target) {
  const Size size = image.size();
  if (!image.drawingHandler() || size.width <= 0 || size.height <= 0) {
    return;
  }
  painter.save();
  painter.setRenderHint(QPainter::Antialiasing);
  painter.translate(target.topLeft());
  painter.scale(target.width() / size.width, target.height() / size.height);
  if (!image.isFlipped()) {
    painter.translate(0, size.height);
    painter.scale(1, -1);  // The handler draws with y upwards.
  }
  DrawingContext context(painter);
  image.drawingHandler()({0, 0, size.width, size.height});
  painter.restore();
}

void paintTemplate(QPainter& painter, const Image& image, const QRectF& target,
                   const QColor& tint) {
  const qreal scale = painter.device() != nullptr ? painter.device()->devicePixelRatioF() : 1.0;
  const QSize pixels = (target.size() * scale).toSize();
  if (pixels.isEmpty()) {
    return;
  }
  QImage shape(pixels, QImage::Format_ARGB32_Premultiplied);
  shape.fill(Qt::transparent);
  {
    QPainter shapePainter(&shape);
    callHandler(shapePainter, image, QRectF(QPointF(0, 0), QSizeF(pixels)));
    // Only the alpha of what was drawn is kept, filled with the tint.
    shapePainter.setCompositionMode(QPainter::CompositionMode_SourceIn);
    shapePainter.fillRect(shape.rect(), tint);
  }
  painter.drawImage(target, shape);
}

class DrawnIconEngine : public QIconEngine {
 public:
  DrawnIconEngine(std::shared_ptr<const Image> image, QColor tint)
      : image_(std::move(image)), tint_(tint) {}

  void paint(QPainter* painter, const QRect& rect, QIcon::Mode, QIcon::State) override {
    paintImage(*painter, *image_, QRectF(rect), tint_);
  }

  QPixmap pixmap(const QSize& size, QIcon::Mode, QIcon::State) override {
    return QPixmap::fromImage(renderImage(*image_, size, tint_));
  }

  QSize actualSize(const QSize& size, QIcon::Mode, QIcon::State) override { return size; }

  // A tray host on D-Bus (StatusNotifierItem) gets the icon as pixmaps of
  // these sizes and shows nothing when there are none.
  QList<QSize> availableSizes(QIcon::Mode, QIcon::State) override {
    return {{16, 16}, {22, 22}, {24, 24}, {32, 32}, {48, 48}, {64, 64}};
  }

  QIconEngine* clone() const override { return new DrawnIconEngine(image_, tint_); }

 private:
  std::shared_ptr<const Image> image_;
  QColor tint_;
};
}  // namespace

void paintImage(QPainter& painter, const Image& image, const QRectF& target, const QColor& tint) {
  if (!image.symbolName().empty()) {
    paintSymbol(painter, image, target, tint);
  } else if (image.isTemplate()) {
    paintTemplate(painter, image, target, tint);
  } else {
    callHandler(painter, image, target);
  }
}

QImage renderImage(const Image& image, QSize pixelSize, const QColor& tint) {
  QImage bitmap(pixelSize, QImage::Format_ARGB32_Premultiplied);
  bitmap.fill(Qt::transparent);
  QPainter painter(&bitmap);
  paintImage(painter, image, QRectF(QPointF(0, 0), QSizeF(pixelSize)), tint);
  return bitmap;
}

QIcon iconOf(std::shared_ptr<const Image> image, const QColor& templateTint) {
  return QIcon(new DrawnIconEngine(std::move(image), templateTint));
}

}  // namespace ui::bridge

#include "app/ui/VisualEffectWidget.h"

#include <QGuiApplication>
#include <QLinearGradient>
#include <QPainter>
#include <QPixmap>
#include <QScreen>

#include "app/ui/BackdropBlur.h"

namespace ui {

namespace {
// The heads-up material: a dark tint, a little lighter at the top so the
// capsule catches light; white content reads over anything. Over the blurred
// backdrop the colours behind come through; with nothing to blur the tint is
// dense enough that what lies behind only shows as faint shapes.
const QColor kTopOverBlur(62, 62, 66, 190);
const QColor kBottomOverBlur(34, 34, 38, 205);
const QColor kTopAlone(62, 62, 66, 234);
const QColor kBottomAlone(34, 34, 38, 240);
// Strong enough that text behind cannot be read.
constexpr int kBlurRadius = 10;
}  // namespace

VisualEffectWidget::VisualEffectWidget() {
  setContentPainter(
      [this](QPainter& painter, const QRectF& bounds) { paintMaterial(painter, bounds); });
}

void VisualEffectWidget::setBlursBehindWindow(bool blurs) {
  blursBehindWindow_ = blurs;
  if (!blurs) {
    backdrop_ = QImage();
  }
  update();
}

void VisualEffectWidget::showEvent(QShowEvent* event) {
  ViewWidget::showEvent(event);
  // Sent as the window comes up but before it is mapped, so the picture
  // holds what is behind the window and not the window itself.
  if (blursBehindWindow_) {
    captureBackdrop();
  }
}

void VisualEffectWidget::captureBackdrop() {
  backdrop_ = QImage();
  const QRect area(mapToGlobal(QPoint(0, 0)), size());
  QScreen* screen = QGuiApplication::screenAt(area.center());
  if (screen == nullptr || area.isEmpty()) {
    return;
  }
  const QPoint offset = area.topLeft() - screen->geometry().topLeft();
  const QPixmap picture =
      screen->grabWindow(0, offset.x(), offset.y(), area.width(), area.height());
  if (picture.isNull()) {
    return;
  }
  const int radius = static_cast<int>(kBlurRadius * picture.devicePixelRatio());
  backdrop_ = BackdropBlur::blurred(picture.toImage(), radius);
}

void VisualEffectWidget::paintMaterial(QPainter& painter, const QRectF& bounds) const {
  const bool blurred = !backdrop_.isNull();
  if (blurred) {
    painter.drawImage(bounds, backdrop_);
  }
  QLinearGradient tint(bounds.topLeft(), bounds.bottomLeft());
  tint.setColorAt(0, blurred ? kTopOverBlur : kTopAlone);
  tint.setColorAt(1, blurred ? kBottomOverBlur : kBottomAlone);
  painter.fillRect(bounds, tint);
}

}  // namespace ui

#include "app/ui/OutsidePressCatcher.h"

#include <QPainter>
#include <QSurfaceFormat>

namespace ui {

OutsidePressCatcher::OutsidePressCatcher(std::function<void()> pressed)
    : pressed_(std::move(pressed)) {
  setFlags(Qt::FramelessWindowHint | Qt::BypassWindowManagerHint);
  QSurfaceFormat format;
  format.setAlphaBufferSize(8);
  setFormat(format);
}

bool OutsidePressCatcher::event(QEvent* event) {
  if (event->type() == QEvent::MouseButtonPress || event->type() == QEvent::TouchBegin) {
    pressed_();
  }
  if (event->isInputEvent()) {
    return true;  // Nothing else in the program hears of it.
  }
  return QRasterWindow::event(event);
}

void OutsidePressCatcher::paintEvent(QPaintEvent*) {
  QPainter painter(this);
  painter.setCompositionMode(QPainter::CompositionMode_Source);
  painter.fillRect(QRect(QPoint(0, 0), size()), Qt::transparent);
}

}  // namespace ui

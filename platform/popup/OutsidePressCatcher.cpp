#include "platform/popup/OutsidePressCatcher.h"

#include <QPainter>
#include <QSurfaceFormat>

#include "platform/popup/LayerShell.h"

namespace platform {

OutsidePressCatcher::OutsidePressCatcher(QWindow& popup, std::function<void()> pressed)
    : pressed_(std::move(pressed)) {
  setFlags(Qt::FramelessWindowHint | Qt::BypassWindowManagerHint);
  QSurfaceFormat format;
  format.setAlphaBufferSize(8);
  setFormat(format);
  connect(&popup, &QWindow::visibleChanged, this, [this](bool shown) {
    if (!shown) {
      uncover();
    }
  });
  connect(&popup, &QObject::destroyed, this, &OutsidePressCatcher::uncover);
}

// Possibly from within its own press, which closed the popup.
void OutsidePressCatcher::uncover() {
  if (LayerShell* shell = LayerShell::instance()) {
    shell->release(*this);
  }
  hide();
  deleteLater();
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

}  // namespace platform

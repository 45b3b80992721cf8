#include "app/ui/PanelWindow.h"

#include <QPainter>

namespace ui {

PanelWindow::PanelWindow() {
  setAttribute(Qt::WA_ShowWithoutActivating);
  setFocusPolicy(Qt::NoFocus);
}

void PanelWindow::setBackgroundColor(const QColor& color) {
  backgroundColor_ = color;
  update();
}

void PanelWindow::paintEvent(QPaintEvent*) {
  QPainter painter(this);
  painter.setCompositionMode(QPainter::CompositionMode_Source);
  painter.fillRect(rect(), backgroundColor_);
}

}  // namespace ui

#include "app/ui/ViewWidget.h"

#include <QPainter>
#include <QPainterPath>

#include "app/ui/Layer.h"
#include "app/ui/QtConversions.h"

namespace ui {

ViewWidget::ViewWidget() {
  // Views draw only what their layer and content ask for; the rest shows
  // what lies behind.
  setAttribute(Qt::WA_NoSystemBackground);
}

void ViewWidget::setLayer(const Layer* layer) {
  layer_ = layer;
  update();
}

void ViewWidget::setContentPainter(ContentPainter painter) {
  contentPainter_ = std::move(painter);
  update();
}

void ViewWidget::paintEvent(QPaintEvent*) {
  QPainter painter(this);
  painter.setRenderHint(QPainter::Antialiasing);
  if (layer_ == nullptr) {
    if (contentPainter_) {
      contentPainter_(painter, QRectF(rect()));
    }
    return;
  }
  const QPainterPath shape = layerShape();
  if (layer_->masksToBounds()) {
    painter.setClipPath(shape);
  }
  painter.fillPath(shape, toQColor(layer_->backgroundColor()));
  if (contentPainter_) {
    contentPainter_(painter, QRectF(rect()));
  }
  painter.setClipping(false);
  if (layer_->borderWidth() > 0) {
    painter.strokePath(shape, QPen(toQColor(layer_->borderColor()), layer_->borderWidth()));
  }
}

QPainterPath ViewWidget::layerShape() const {
  // The border lies inside the bounds, as a layer's does.
  const double inset = layer_->borderWidth() / 2;
  const QRectF outline = QRectF(rect()).adjusted(inset, inset, -inset, -inset);
  const double radius = std::max(0.0, layer_->cornerRadius() - inset);
  QPainterPath shape;
  shape.addRoundedRect(outline, radius, radius);
  return shape;
}

}  // namespace ui

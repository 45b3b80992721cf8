#pragma once

#include <QColor>
#include <QPainter>

namespace ui {

// The painter an image's drawing handler draws into, with the current stroke
// and fill colours. One is current while a handler runs (on the main thread);
// nesting restores the outer one.
class DrawingContext {
 public:
  explicit DrawingContext(QPainter& painter);
  ~DrawingContext();
  DrawingContext(const DrawingContext&) = delete;
  DrawingContext& operator=(const DrawingContext&) = delete;

  static DrawingContext* current();

  QPainter& painter() { return painter_; }
  QColor strokeColor = Qt::black;
  QColor fillColor = Qt::black;

 private:
  QPainter& painter_;
  DrawingContext* outer_;
};

}  // namespace ui

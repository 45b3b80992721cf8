#pragma once

#include <QPainterPath>
#include <QWidget>
#include <functional>

namespace ui {

class Layer;

// The widget behind plain views and drawn views: paints the layer's
// background, the view's own content (clipped to the rounded corners when the
// layer clips), then the layer's border.
class ViewWidget : public QWidget {
 public:
  using ContentPainter = std::function<void(QPainter&, const QRectF& bounds)>;

  ViewWidget();

  void setLayer(const Layer* layer);
  void setContentPainter(ContentPainter painter);

 protected:
  void paintEvent(QPaintEvent* event) override;

 private:
  QPainterPath layerShape() const;

  const Layer* layer_ = nullptr;
  ContentPainter contentPainter_;
};

}  // namespace ui

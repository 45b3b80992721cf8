#pragma once

#include <QPainterPath>
#include <QWidget>
#include <functional>
#include <memory>

#include "app/ui/ViewImpl.h"

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

// Makes a drawn view's widget paint with `state->paint(painter, bounds)`. The
// widget shares the state, so the state lives as long as anything can paint.
template <typename State>
void paintContentWith(View::Impl& impl, std::shared_ptr<const State> state) {
  static_cast<ViewWidget*>(impl.widget.data())
      ->setContentPainter(
          [state](QPainter& painter, const QRectF& bounds) { state->paint(painter, bounds); });
}

}  // namespace ui

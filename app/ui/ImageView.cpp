#include "app/ui/ImageView.h"

#include <QPainter>

#include "app/ui/ImageBridge.h"
#include "app/ui/QtConversions.h"
#include "app/ui/ViewImpl.h"
#include "app/ui/ViewWidget.h"

namespace ui {

struct ImageView::State {
  std::shared_ptr<Image> image;
  std::optional<Color> tint;

  void paint(QPainter& painter, const QRectF& bounds) const {
    if (!image) {
      return;
    }
    const Size natural = image->size();
    if (natural.width <= 0 || natural.height <= 0) {
      return;
    }
    const double scale =
        std::min({1.0, bounds.width() / natural.width, bounds.height() / natural.height});
    QSizeF shown(natural.width * scale, natural.height * scale);
    QRectF target(bounds.center() - QPointF(shown.width() / 2, shown.height() / 2), shown);
    bridge::paintImage(painter, *image, target, toQColor(tint.value_or(Color::label())));
  }
};

ImageView::ImageView(Rect frame)
    : View(std::make_unique<Impl>(new ViewWidget)), state_(std::make_shared<State>()) {
  paintContentWith<State>(impl(), state_);
  setFrame(frame);
}

ImageView::~ImageView() = default;

std::shared_ptr<Image> ImageView::image() const { return state_->image; }

void ImageView::setImage(std::shared_ptr<Image> image) {
  state_->image = std::move(image);
  impl().widget->update();
}

std::optional<Color> ImageView::contentTintColor() const { return state_->tint; }

void ImageView::setContentTintColor(std::optional<Color> color) {
  state_->tint = color;
  impl().widget->update();
}

}  // namespace ui

#include "app/ui/View.h"

#include <algorithm>

#include "app/ui/QtConversions.h"
#include "app/ui/ViewGeometry.h"
#include "app/ui/ViewImpl.h"
#include "app/ui/ViewWidget.h"

namespace ui {

View::View(Rect frame) : View(std::make_unique<Impl>(new ViewWidget)) { setFrame(frame); }

View::View(std::unique_ptr<Impl> impl) : impl_(std::move(impl)) { placeWidget(); }

View::~View() {
  for (const auto& subview : impl_->subviews) {
    subview->impl_->superview = nullptr;
    if (subview->impl_->widget) {
      subview->impl_->widget->setParent(nullptr);  // Not deleted along with this widget.
    }
  }
  delete impl_->widget.data();
}

Rect View::frame() const { return impl_->frame; }

void View::setFrame(Rect frame) {
  const bool heightChanged = frame.height != impl_->frame.height;
  impl_->frame = frame;
  placeWidget();
  if (heightChanged) {
    placeSubviews();  // They keep their distance from the lower edge.
  }
}

void View::setFrameOrigin(Point origin) {
  Rect frame = impl_->frame;
  frame.x = origin.x;
  frame.y = origin.y;
  setFrame(frame);
}

bool View::isHidden() const { return impl_->hidden; }

void View::setHidden(bool hidden) {
  impl_->hidden = hidden;
  // Showing the widget of a view nobody hosts yet would open it as a window.
  if (hidden || impl_->widget->parentWidget() != nullptr) {
    impl_->widget->setHidden(hidden);
  }
}

void View::addSubview(std::shared_ptr<View> subview) {
  if (subview->impl_->superview != nullptr) {
    auto& siblings = subview->impl_->superview->impl_->subviews;
    siblings.erase(std::find(siblings.begin(), siblings.end(), subview));
  }
  subview->impl_->superview = this;
  QWidget* child = subview->impl_->widget;
  child->setParent(impl_->widget);
  child->raise();  // A later subview draws over the earlier ones.
  subview->placeWidget();
  child->setHidden(subview->impl_->hidden);
  impl_->subviews.push_back(std::move(subview));
}

const std::vector<std::shared_ptr<View>>& View::subviews() const { return impl_->subviews; }

View* View::superview() const { return impl_->superview; }

void View::setWantsLayer(bool wantsLayer) {
  auto* drawn = dynamic_cast<ViewWidget*>(impl_->widget.data());
  if (!wantsLayer) {
    impl_->layer.reset();
  } else if (!impl_->layer) {
    QPointer<QWidget> widget = impl_->widget;
    impl_->layer = std::make_unique<Layer>([widget] {
      if (widget) {
        widget->update();
      }
    });
  }
  if (drawn != nullptr) {
    drawn->setLayer(impl_->layer.get());
  }
}

Layer* View::layer() { return impl_->layer.get(); }

void View::placeWidget() {
  const Rect& frame = impl_->frame;
  if (impl_->superview == nullptr) {
    impl_->widget->setGeometry(toQRect({0, 0, frame.width, frame.height}));
    return;
  }
  impl_->widget->setGeometry(toQRect(topDownRect(frame, impl_->superview->impl_->frame.height)));
}

void View::placeSubviews() {
  for (const auto& subview : impl_->subviews) {
    subview->placeWidget();
  }
}

}  // namespace ui

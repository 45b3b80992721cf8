#pragma once

#include <QPointer>
#include <QWidget>
#include <memory>
#include <vector>

#include "app/ui/View.h"

namespace ui {

// What a view is made of. Each kind of view supplies its own widget: a
// ViewWidget for drawn views, a Qt control for controls.
struct View::Impl {
  explicit Impl(QWidget* ownWidget) : widget(ownWidget) {}

  QPointer<QWidget> widget;
  Rect frame;
  bool hidden = false;
  View* superview = nullptr;
  std::vector<std::shared_ptr<View>> subviews;
  std::unique_ptr<Layer> layer;
};

}  // namespace ui

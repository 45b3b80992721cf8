#include "app/ui/Box.h"

#include <QPainter>

#include "app/ui/QtConversions.h"
#include "app/ui/ViewImpl.h"
#include "app/ui/ViewWidget.h"

namespace ui {

Box::Box(Rect frame)
    : View(std::make_unique<Impl>(new ViewWidget)),
      type_(std::make_shared<BoxType>(BoxType::Primary)) {
  std::shared_ptr<const BoxType> type = type_;
  static_cast<ViewWidget*>(impl().widget.data())
      ->setContentPainter([type](QPainter& painter, const QRectF& bounds) {
        if (*type != BoxType::Separator) {
          return;
        }
        const double y = bounds.center().y();
        painter.setRenderHint(QPainter::Antialiasing, false);
        painter.setPen(QPen(toQColor(Color::separator()), 1));
        painter.drawLine(QPointF(bounds.left(), y), QPointF(bounds.right(), y));
      });
  setFrame(frame);
}

Box::~Box() = default;

BoxType Box::boxType() const { return *type_; }

void Box::setBoxType(BoxType type) {
  *type_ = type;
  impl().widget->update();
}

}  // namespace ui

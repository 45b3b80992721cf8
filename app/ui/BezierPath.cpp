#include "app/ui/BezierPath.h"

#include <QPainterPath>

#include "app/ui/DrawingContext.h"

namespace ui {

namespace {
QPainterPath toQPainterPath(const std::vector<BezierPath::Element>& elements) {
  using Kind = BezierPath::Element::Kind;
  QPainterPath path;
  for (const auto& element : elements) {
    const Rect& r = element.rect;
    switch (element.kind) {
      case Kind::MoveTo:
        path.moveTo(r.x, r.y);
        break;
      case Kind::LineTo:
        path.lineTo(r.x, r.y);
        break;
      case Kind::RoundedRect:
        path.addRoundedRect(QRectF(r.x, r.y, r.width, r.height), element.xRadius, element.yRadius);
        break;
      case Kind::Oval:
        path.addEllipse(QRectF(r.x, r.y, r.width, r.height));
        break;
    }
  }
  return path;
}

Qt::PenCapStyle toQtCap(LineCapStyle style) {
  switch (style) {
    case LineCapStyle::Butt:
      return Qt::FlatCap;
    case LineCapStyle::Round:
      return Qt::RoundCap;
    case LineCapStyle::Square:
      return Qt::SquareCap;
  }
  return Qt::FlatCap;
}
}  // namespace

BezierPath BezierPath::roundedRect(Rect rect, double xRadius, double yRadius) {
  BezierPath path;
  path.elements_.push_back({Element::Kind::RoundedRect, rect, xRadius, yRadius});
  return path;
}

BezierPath BezierPath::oval(Rect rect) {
  BezierPath path;
  path.elements_.push_back({Element::Kind::Oval, rect});
  return path;
}

void BezierPath::moveTo(Point point) {
  elements_.push_back({Element::Kind::MoveTo, {point.x, point.y, 0, 0}});
}

void BezierPath::lineTo(Point point) {
  elements_.push_back({Element::Kind::LineTo, {point.x, point.y, 0, 0}});
}

void BezierPath::stroke() const {
  DrawingContext* context = DrawingContext::current();
  if (context == nullptr) {
    return;
  }
  // Miter joins, as the drawing model this path follows has by default.
  QPen pen(context->strokeColor, lineWidth_, Qt::SolidLine, toQtCap(lineCapStyle_), Qt::MiterJoin);
  context->painter().strokePath(toQPainterPath(elements_), pen);
}

void BezierPath::fill() const {
  DrawingContext* context = DrawingContext::current();
  if (context == nullptr) {
    return;
  }
  context->painter().fillPath(toQPainterPath(elements_), context->fillColor);
}

}  // namespace ui

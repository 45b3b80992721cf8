#include "hud/Glyphs.h"

#include <QPainterPathStroker>
#include <algorithm>
#include <cmath>
#include <numbers>

namespace {
// A glyph's box per point of its size.
constexpr double kBoxPerPoint = 1.2;

QPainterPath stroked(const QPainterPath& path, double width, Qt::PenCapStyle cap,
                     Qt::PenJoinStyle join = Qt::RoundJoin) {
  QPainterPathStroker stroker;
  stroker.setWidth(width);
  stroker.setCapStyle(cap);
  stroker.setJoinStyle(join);
  return stroker.createStroke(path);
}

// Eight rays around `centre`, from radius `inner` to radius `outer`.
QPainterPath rays(QPointF centre, double inner, double outer) {
  QPainterPath path;
  for (int k = 0; k < 8; ++k) {
    const double angle = k * std::numbers::pi / 4;
    const QPointF direction(std::cos(angle), std::sin(angle));
    path.moveTo(centre + direction * inner);
    path.lineTo(centre + direction * outer);
  }
  return path;
}

QPainterPath circle(QPointF centre, double radius) {
  QPainterPath path;
  path.addEllipse(centre, radius, radius);
  return path;
}

}  // namespace

QPainterPath Glyphs::sun(const QRectF& box, double weight) {
  const double s = box.width();
  const QPointF c = box.center();
  QPainterPath path = circle(c, 0.22 * s);
  return path.united(stroked(rays(c, 0.335 * s, 0.455 * s), 0.085 * s * weight, Qt::RoundCap));
}

QPainterPath Glyphs::dimSun(const QRectF& box, double weight) {
  const double s = box.width();
  const QPointF c = box.center();
  const double line = 0.08 * s * weight;
  QPainterPath path = stroked(circle(c, 0.19 * s), line, Qt::RoundCap);
  return path.united(stroked(rays(c, 0.34 * s, 0.39 * s), line, Qt::RoundCap));
}

QPainterPath Glyphs::display(const QRectF& box, double weight) {
  const double s = box.width();
  const QPointF o = box.topLeft();
  const double line = 0.075 * s * weight;
  QPainterPath screen;
  screen.addRoundedRect(QRectF(o + QPointF(0.06 * s, 0.14 * s), QSizeF(0.88 * s, 0.6 * s)),
                        0.08 * s, 0.08 * s);
  QPainterPath path = stroked(screen, line, Qt::RoundCap);
  QPainterPath neck;
  neck.addRect(QRectF(o + QPointF(0.45 * s, 0.74 * s), QSizeF(0.1 * s, 0.11 * s)));
  QPainterPath base;
  base.moveTo(o + QPointF(0.3 * s, 0.86 * s));
  base.lineTo(o + QPointF(0.7 * s, 0.86 * s));
  return path.united(neck).united(stroked(base, line, Qt::RoundCap));
}

QPainterPath Glyphs::warning(const QRectF& box, double weight) {
  const double s = box.width();
  const QPointF o = box.topLeft();
  QPainterPath triangle;
  triangle.moveTo(o + QPointF(0.5 * s, 0.1 * s));
  triangle.lineTo(o + QPointF(0.94 * s, 0.86 * s));
  triangle.lineTo(o + QPointF(0.06 * s, 0.86 * s));
  triangle.closeSubpath();
  // A wide round-joined outline rounds the corners the way the glyph has them.
  QPainterPath body = triangle.united(stroked(triangle, 0.1 * s, Qt::RoundCap));
  QPainterPath bar;
  bar.moveTo(o + QPointF(0.5 * s, 0.38 * s));
  bar.lineTo(o + QPointF(0.5 * s, 0.6 * s));
  QPainterPath mark = stroked(bar, 0.1 * s * weight, Qt::RoundCap)
                          .united(circle(o + QPointF(0.5 * s, 0.73 * s), 0.058 * s * weight));
  return body.subtracted(mark);
}
void Glyphs::paint(QPainter& painter, Shape shape, const QRectF& frame, double pointSize,
                   double weight, const QColor& colour) {
  const double side = std::min({pointSize * kBoxPerPoint, frame.width(), frame.height()});
  const QRectF box(frame.center() - QPointF(side / 2, side / 2), QSizeF(side, side));
  painter.save();
  painter.setRenderHint(QPainter::Antialiasing);
  painter.fillPath(shape(box, weight), colour);
  painter.restore();
}

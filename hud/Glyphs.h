#pragma once

#include <QColor>
#include <QPainter>
#include <QPainterPath>

// The small figures the HUD and the popover show: outlines drawn to fill a
// square box, with stroke widths scaled by a weight (1 regular, 1.12 medium,
// 1.25 semibold) as a font's weights thicken its strokes.
class Glyphs {
 public:
  using Shape = QPainterPath (*)(const QRectF& box, double weight);

  static QPainterPath sun(const QRectF& box, double weight);
  static QPainterPath dimSun(const QRectF& box, double weight);
  static QPainterPath display(const QRectF& box, double weight);
  static QPainterPath warning(const QRectF& box, double weight);

  // Fills `shape` at `pointSize` (its box a fifth larger, as a font's line
  // is larger than its em), centred in `frame` and shrunk to fit it.
  static void paint(QPainter& painter, Shape shape, const QRectF& frame, double pointSize,
                    double weight, const QColor& colour);
};

#pragma once

#include <vector>

#include "app/ui/Geometry.h"

namespace ui {

enum class LineCapStyle { Butt, Round, Square };

// A path of lines and shapes in the coordinates of the image being drawn.
// `stroke` and `fill` draw it with the colours set by Color::setStroke and
// Color::setFill; outside an image's drawing handler they do nothing.
class BezierPath {
 public:
  BezierPath() = default;
  static BezierPath roundedRect(Rect rect, double xRadius, double yRadius);
  static BezierPath oval(Rect rect);

  void moveTo(Point point);
  void lineTo(Point point);

  double lineWidth() const { return lineWidth_; }
  void setLineWidth(double width) { lineWidth_ = width; }
  LineCapStyle lineCapStyle() const { return lineCapStyle_; }
  void setLineCapStyle(LineCapStyle style) { lineCapStyle_ = style; }

  void stroke() const;
  void fill() const;

  struct Element {
    enum class Kind { MoveTo, LineTo, RoundedRect, Oval } kind;
    Rect rect;  // For a point, its x and y.
    double xRadius = 0;
    double yRadius = 0;
  };
  const std::vector<Element>& elements() const { return elements_; }

 private:
  std::vector<Element> elements_;
  double lineWidth_ = 1.0;
  LineCapStyle lineCapStyle_ = LineCapStyle::Butt;
};

}  // namespace ui

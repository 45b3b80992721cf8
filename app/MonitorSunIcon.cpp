#include "app/MonitorSunIcon.h"

#include <cmath>
#include <numbers>

#include "app/ui/BezierPath.h"
#include "app/ui/Color.h"

namespace {

// The figure's space, in points, origin lower left.
constexpr double iconSide = 18.0;
constexpr ui::Point sunCentre{9.0, 10.75};  // The centre of the monitor's body.
constexpr double sunRadius = 1.9;
// Rays begin 0.8 outside the disc and are 1.3 long.
constexpr double rayInnerRadius = 2.7;
constexpr double rayOuterRadius = 4.0;
constexpr int rayCount = 8;

void strokeLine(ui::Point from, ui::Point to, double lineWidth, ui::LineCapStyle cap) {
  ui::BezierPath line;
  line.moveTo(from);
  line.lineTo(to);
  line.setLineWidth(lineWidth);
  line.setLineCapStyle(cap);
  line.stroke();
}

void drawMonitor() {
  ui::BezierPath body = ui::BezierPath::roundedRect({1.0, 5.0, 16.0, 11.5}, 2.0, 2.0);
  body.setLineWidth(1.3);
  body.stroke();
  strokeLine({9.0, 5.0}, {9.0, 2.2}, 1.4, ui::LineCapStyle::Butt);    // Neck.
  strokeLine({5.5, 2.0}, {12.5, 2.0}, 1.3, ui::LineCapStyle::Round);  // Base.
}

ui::Point onCircle(double radius, double angle) {
  return {sunCentre.x + radius * std::cos(angle), sunCentre.y + radius * std::sin(angle)};
}

void drawSun() {
  ui::BezierPath::oval(
      {sunCentre.x - sunRadius, sunCentre.y - sunRadius, 2 * sunRadius, 2 * sunRadius})
      .fill();
  for (int k = 0; k < rayCount; ++k) {
    double angle = k * std::numbers::pi / 4;
    strokeLine(onCircle(rayInnerRadius, angle), onCircle(rayOuterRadius, angle), 0.9,
               ui::LineCapStyle::Round);
  }
}

bool drawMonitorSun(ui::Rect /*destination*/) {
  ui::Color::black().setStroke();
  ui::Color::black().setFill();
  drawMonitor();
  drawSun();
  return true;
}

}  // namespace

std::shared_ptr<ui::Image> createMonitorSunIcon() {
  auto image = ui::Image::drawn({iconSide, iconSide}, false, drawMonitorSun);
  image->setTemplate(true);
  return image;
}

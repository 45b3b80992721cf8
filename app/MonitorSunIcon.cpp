#include "app/MonitorSunIcon.h"

#include <QIconEngine>
#include <QPainter>
#include <QPainterPath>
#include <cmath>
#include <numbers>

namespace {

constexpr double kGrid = 18.0;
constexpr QPointF kSunCentre{9.0, 7.25};  // The centre of the monitor's screen.
constexpr double kSunRadius = 1.9;
// Rays begin 0.8 outside the disc and are 1.3 long.
constexpr double kRayInnerRadius = 2.7;
constexpr double kRayOuterRadius = 4.0;
constexpr int kRayCount = 8;

void strokeLine(QPainter& painter, QPointF from, QPointF to, double width, Qt::PenCapStyle cap) {
  QPainterPath line;
  line.moveTo(from);
  line.lineTo(to);
  painter.strokePath(line, QPen(Qt::black, width, Qt::SolidLine, cap, Qt::MiterJoin));
}

void drawMonitor(QPainter& painter) {
  QPainterPath body;
  body.addRoundedRect(QRectF(1.0, 1.5, 16.0, 11.5), 2.0, 2.0);
  painter.strokePath(body, QPen(Qt::black, 1.3, Qt::SolidLine, Qt::FlatCap, Qt::MiterJoin));
  strokeLine(painter, {9.0, 13.0}, {9.0, 15.8}, 1.4, Qt::FlatCap);    // Neck.
  strokeLine(painter, {5.5, 16.0}, {12.5, 16.0}, 1.3, Qt::RoundCap);  // Base.
}

QPointF onCircle(double radius, double angle) {
  return kSunCentre + QPointF(radius * std::cos(angle), -radius * std::sin(angle));
}

void drawSun(QPainter& painter) {
  QPainterPath disc;
  disc.addEllipse(kSunCentre, kSunRadius, kSunRadius);
  painter.fillPath(disc, Qt::black);
  for (int k = 0; k < kRayCount; ++k) {
    const double angle = k * std::numbers::pi / 4;
    strokeLine(painter, onCircle(kRayInnerRadius, angle), onCircle(kRayOuterRadius, angle), 0.9,
               Qt::RoundCap);
  }
}

class MonitorSunEngine : public QIconEngine {
 public:
  void paint(QPainter* painter, const QRect& rect, QIcon::Mode, QIcon::State) override {
    painter->save();
    painter->setRenderHint(QPainter::Antialiasing);
    painter->translate(rect.topLeft());
    painter->scale(rect.width() / kGrid, rect.height() / kGrid);
    drawMonitor(*painter);
    drawSun(*painter);
    painter->restore();
  }

  QIconEngine* clone() const override { return new MonitorSunEngine; }
};

}  // namespace

QIcon createMonitorSunIcon() { return QIcon(new MonitorSunEngine); }

#include "app/ui/ProgressIndicator.h"

#include <QPainter>
#include <QPainterPath>
#include <algorithm>

#include "app/ui/ViewImpl.h"
#include "app/ui/ViewWidget.h"

namespace ui {

namespace {
// A slim capsule, centred in the frame, as a bar indicator is drawn.
constexpr double kTrackThickness = 6;
const QColor kTrackColor(255, 255, 255, 64);
const QColor kFillColor(255, 255, 255, 240);
}  // namespace

struct ProgressIndicator::State {
  double minValue = 0;
  double maxValue = 100;
  double value = 0;

  double fraction() const {
    if (maxValue <= minValue) {
      return 0;
    }
    return std::clamp((value - minValue) / (maxValue - minValue), 0.0, 1.0);
  }

  void paint(QPainter& painter, const QRectF& bounds) const {
    const double thickness = std::min(kTrackThickness, bounds.height());
    QRectF track(bounds.left(), bounds.center().y() - thickness / 2, bounds.width(), thickness);
    QPainterPath trackPath;
    trackPath.addRoundedRect(track, thickness / 2, thickness / 2);
    painter.fillPath(trackPath, kTrackColor);
    QRectF filled = track;
    filled.setWidth(track.width() * fraction());
    // The fill keeps the track's rounded ends, however short it is.
    painter.save();
    painter.setClipRect(filled);
    painter.fillPath(trackPath, kFillColor);
    painter.restore();
  }
};

ProgressIndicator::ProgressIndicator(Rect frame)
    : View(std::make_unique<Impl>(new ViewWidget)), state_(std::make_shared<State>()) {
  paintContentWith<State>(impl(), state_);
  setFrame(frame);
}

ProgressIndicator::~ProgressIndicator() = default;

double ProgressIndicator::minValue() const { return state_->minValue; }

void ProgressIndicator::setMinValue(double value) {
  state_->minValue = value;
  impl().widget->update();
}

double ProgressIndicator::maxValue() const { return state_->maxValue; }

void ProgressIndicator::setMaxValue(double value) {
  state_->maxValue = value;
  impl().widget->update();
}

double ProgressIndicator::doubleValue() const { return state_->value; }

void ProgressIndicator::setDoubleValue(double value) {
  state_->value = value;
  impl().widget->update();
}

double ProgressIndicator::fraction() const { return state_->fraction(); }

}  // namespace ui

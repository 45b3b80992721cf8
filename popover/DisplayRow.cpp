#include "popover/DisplayRow.h"

#include <QSignalBlocker>
#include <QSlider>
#include <algorithm>
#include <cmath>

#include "display/LevelText.h"
#include "popover/PopoverControls.h"
#include "popover/PopoverLayout.h"

namespace layout = popover_layout;
using popover_controls::font;
using popover_controls::textColour;

namespace {

// Qt sliders hold whole numbers; this many steps across 0 to 100 % lets a
// drag land between whole levels (49.5).
constexpr int kSliderPositions = 10000;
QFont titleFont() { return font(13, QFont::DemiBold); }

}  // namespace

DisplayRow::DisplayRow(QWidget* parent, int index, std::function<void(std::int64_t)> moved)
    : moved_(std::move(moved)) {
  const QPoint down(0, index * layout::kDisplayRowStep);
  title_ = popover_controls::label(parent, layout::kTitleLabel.translated(down), {}, titleFont(),
                                   textColour());
  percent_ = popover_controls::label(parent, layout::kPercentLabel.translated(down), {},
                                     font(13, QFont::Bold), textColour(), Qt::AlignRight);
  slider_ = new QSlider(Qt::Horizontal, parent);
  slider_->setGeometry(layout::kSlider.translated(down));
  slider_->setRange(0, kSliderPositions);
  QObject::connect(slider_, &QSlider::valueChanged,
                   [this](int position) { sliderMoved(position); });
  for (QWidget* control : {static_cast<QWidget*>(title_), static_cast<QWidget*>(percent_),
                           static_cast<QWidget*>(slider_)}) {
    control->show();
  }
}

DisplayRow::~DisplayRow() {
  delete title_;
  delete percent_;
  delete slider_;
}

void DisplayRow::showName(const QString& name) {
  popover_controls::showFitted(*title_, name, titleFont());
}

void DisplayRow::showLevel(std::int64_t level) {
  const QSignalBlocker fromCode(slider_);
  const double share = std::clamp(static_cast<double>(level) / 100, 0.0, 1.0);
  slider_->setValue(static_cast<int>(std::lround(share * kSliderPositions)));
  percent_->setText(QString::fromStdString(levelText(level)));
}

void DisplayRow::sliderMoved(int position) {
  // std::llround takes halves away from zero: 49.5 is 50, 49.49 is 49.
  const std::int64_t level = std::llround(100.0 * position / kSliderPositions);
  percent_->setText(QString::fromStdString(levelText(level)));
  moved_(level);
}

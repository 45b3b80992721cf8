#include "app/ui/Slider.h"

#include <QSlider>
#include <algorithm>
#include <cmath>

#include "app/ui/ViewImpl.h"

namespace ui {

namespace {
// Qt sliders hold whole numbers; this many steps across the range lets a drag
// land between whole values (49.5 on a 0 to 100 slider).
constexpr int kPositions = 10000;
}  // namespace

struct Slider::State {
  QSlider* widget = nullptr;
  double value = 0;
  double minValue = 0;
  double maxValue = 1;
  bool continuous = false;
  bool settingFromCode = false;
  Action action;

  void clampValue() { value = std::clamp(value, minValue, std::max(minValue, maxValue)); }

  void showValue() {
    settingFromCode = true;
    const double span = maxValue - minValue;
    const double share = span > 0 ? (value - minValue) / span : 0;
    widget->setValue(static_cast<int>(std::lround(share * kPositions)));
    settingFromCode = false;
  }

  void takePosition(int position) {
    value = minValue + (maxValue - minValue) * position / kPositions;
    clampValue();
  }
};

Slider::Slider(double value, double minValue, double maxValue, Action action)
    : View(std::make_unique<Impl>(new QSlider(Qt::Horizontal))), state_(std::make_shared<State>()) {
  state_->widget = static_cast<QSlider*>(impl().widget.data());
  state_->widget->setRange(0, kPositions);
  state_->minValue = minValue;
  state_->maxValue = maxValue;
  state_->value = value;
  state_->action = std::move(action);
  state_->clampValue();
  state_->showValue();
  QObject::connect(state_->widget, &QSlider::valueChanged, [this](int position) {
    if (state_->settingFromCode) {
      return;
    }
    state_->takePosition(position);
    if (state_->continuous || !state_->widget->isSliderDown()) {
      if (state_->action) {
        state_->action(*this);
      }
    }
  });
  QObject::connect(state_->widget, &QSlider::sliderReleased, [this] {
    if (!state_->continuous && state_->action) {
      state_->action(*this);
    }
  });
}

Slider::~Slider() = default;

double Slider::doubleValue() const { return state_->value; }

void Slider::setDoubleValue(double value) {
  state_->value = value;
  state_->clampValue();
  state_->showValue();
}

double Slider::minValue() const { return state_->minValue; }

void Slider::setMinValue(double value) {
  state_->minValue = value;
  state_->clampValue();
  state_->showValue();
}

double Slider::maxValue() const { return state_->maxValue; }

void Slider::setMaxValue(double value) {
  state_->maxValue = value;
  state_->clampValue();
  state_->showValue();
}

bool Slider::isContinuous() const { return state_->continuous; }

void Slider::setContinuous(bool continuous) { state_->continuous = continuous; }

void Slider::setAction(Action action) { state_->action = std::move(action); }

}  // namespace ui

#pragma once

#include <functional>
#include <memory>

#include "app/ui/View.h"

namespace ui {

// A horizontal slider. Its value always lies within minimum and maximum. A
// user's drag sends the action (on the main thread, with the slider as
// sender) for every step of the drag when the slider is continuous, else once
// when the drag ends; setting the value from code sends nothing.
class Slider : public View {
 public:
  using Action = std::function<void(Slider& sender)>;

  Slider(double value, double minValue, double maxValue, Action action);
  ~Slider() override;

  double doubleValue() const;
  void setDoubleValue(double value);
  double minValue() const;
  void setMinValue(double value);
  double maxValue() const;
  void setMaxValue(double value);
  bool isContinuous() const;
  void setContinuous(bool continuous);
  void setAction(Action action);

  struct State;

 private:
  std::shared_ptr<State> state_;
};

}  // namespace ui

#pragma once

#include <memory>

#include "app/ui/View.h"

namespace ui {

// A determinate bar: a light fill over a faint track, drawn for the dark,
// translucent backgrounds it is shown on. The fill covers the share of the
// track that the value has of the range from minimum to maximum, clamped.
class ProgressIndicator : public View {
 public:
  explicit ProgressIndicator(Rect frame);
  ~ProgressIndicator() override;

  double minValue() const;
  void setMinValue(double value);
  double maxValue() const;
  void setMaxValue(double value);
  double doubleValue() const;
  void setDoubleValue(double value);

  // The filled share of the track, from 0 to 1.
  double fraction() const;

  struct State;

 private:
  std::shared_ptr<State> state_;
};

}  // namespace ui

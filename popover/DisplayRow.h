#pragma once

#include <QString>
#include <cstdint>
#include <functional>

class QLabel;
class QSlider;
class QWidget;

// One display's lines in the popover: its name and level, and the slider
// under them. Row 0 takes the places of the one-display layout; each further
// row lies popover_layout::kDisplayRowStep lower.
class DisplayRow {
 public:
  // `moved` gets each level the user drags the slider to.
  DisplayRow(QWidget* parent, int index, std::function<void(std::int64_t level)> moved);
  // Takes its controls off the popover.
  ~DisplayRow();
  DisplayRow(const DisplayRow&) = delete;
  DisplayRow& operator=(const DisplayRow&) = delete;

  void showName(const QString& name);
  // Shows `level` on the slider and in the level text, unclamped.
  void showLevel(std::int64_t level);

 private:
  void sliderMoved(int position);

  const std::function<void(std::int64_t)> moved_;
  QLabel* title_;
  QLabel* percent_;
  QSlider* slider_;
};

#pragma once

namespace ui {

enum class FontWeight { Regular, Medium, Semibold, Bold };

// The desktop's user-interface font at a size and weight. A size in points is
// a Qt pixel size, so text keeps its size relative to the frames around it.
struct Font {
  double pointSize = 13;
  FontWeight weight = FontWeight::Regular;
  // Every digit as wide as every other, so changing numbers do not jitter.
  bool monospacedDigits = false;

  friend bool operator==(const Font&, const Font&) = default;

  static Font systemFont(double size, FontWeight weight) { return {size, weight, false}; }
  static Font monospacedDigitSystemFont(double size, FontWeight weight) {
    return {size, weight, true};
  }
};

}  // namespace ui

#pragma once

namespace ui {

// An RGBA colour, each component from 0 to 1. The semantic colours are
// resolved against the application's palette when they are asked for, so a
// dark desktop theme gets light label colours.
struct Color {
  double red = 0;
  double green = 0;
  double blue = 0;
  double alpha = 0;

  friend bool operator==(const Color&, const Color&) = default;

  Color withAlphaComponent(double newAlpha) const { return {red, green, blue, newAlpha}; }

  static Color clear() { return {0, 0, 0, 0}; }
  static Color white() { return {1, 1, 1, 1}; }
  static Color black() { return {0, 0, 0, 1}; }
  static Color systemOrange();
  static Color label();
  static Color secondaryLabel();
  static Color tertiaryLabel();
  static Color separator();

  // Make this the stroke or fill colour of the image being drawn; outside an
  // image's drawing handler they do nothing.
  void setStroke() const;
  void setFill() const;
};

}  // namespace ui

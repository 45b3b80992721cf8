#pragma once

#include <functional>

#include "app/ui/Color.h"

namespace ui {

// The drawing properties of a layer-backed view. Colours are copied when they
// are set; later changes to the colour a caller holds do not reach the layer.
// The corner radius rounds the background and the border; clipping keeps the
// subviews inside the view's bounds.
class Layer {
 public:
  explicit Layer(std::function<void()> onChange) : onChange_(std::move(onChange)) {}

  Color backgroundColor() const { return backgroundColor_; }
  void setBackgroundColor(Color color) { change(backgroundColor_, color); }
  double cornerRadius() const { return cornerRadius_; }
  void setCornerRadius(double radius) { change(cornerRadius_, radius); }
  bool masksToBounds() const { return masksToBounds_; }
  void setMasksToBounds(bool masks) { change(masksToBounds_, masks); }
  Color borderColor() const { return borderColor_; }
  void setBorderColor(Color color) { change(borderColor_, color); }
  double borderWidth() const { return borderWidth_; }
  void setBorderWidth(double width) { change(borderWidth_, width); }

 private:
  template <typename T>
  void change(T& field, T value) {
    field = value;
    onChange_();
  }

  std::function<void()> onChange_;
  Color backgroundColor_ = Color::clear();
  double cornerRadius_ = 0;
  bool masksToBounds_ = false;
  Color borderColor_ = Color::black();
  double borderWidth_ = 0;
};

}  // namespace ui

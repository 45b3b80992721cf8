#pragma once

#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

#include "app/ui/Font.h"
#include "app/ui/Geometry.h"

namespace ui {

// The size and weight a system symbol is drawn at.
struct SymbolConfiguration {
  double pointSize = 13;
  FontWeight weight = FontWeight::Regular;
  friend bool operator==(const SymbolConfiguration&, const SymbolConfiguration&) = default;
};

// An image that holds no pixels: either a system symbol, drawn by this layer
// in the colour of whatever shows it, or a figure drawn on demand by a
// handler each time the image is rendered.
class Image {
 public:
  // Called with the destination rectangle in the image's own space (origin at
  // the lower-left corner, y upwards, unless the image is flipped); draws with
  // BezierPath and Color and reports whether it drew.
  using DrawingHandler = std::function<bool(Rect destination)>;

  // The symbols this layer draws: "sun.max.fill", "sun.min", "display" and
  // "exclamationmark.triangle.fill". Null for any other name.
  static std::shared_ptr<Image> systemSymbol(std::string_view name,
                                             std::string accessibilityDescription);
  static std::shared_ptr<Image> drawn(Size size, bool flipped, DrawingHandler handler);

  // A copy of a symbol image drawn at the configuration's size and weight.
  std::shared_ptr<Image> withSymbolConfiguration(SymbolConfiguration configuration) const;

  Size size() const { return size_; }
  bool isFlipped() const { return flipped_; }
  // A template image shows only its shape, in the colour its viewer chooses.
  bool isTemplate() const { return template_; }
  void setTemplate(bool isTemplate) { template_ = isTemplate; }
  const std::string& symbolName() const { return symbolName_; }
  const std::string& accessibilityDescription() const { return accessibilityDescription_; }
  std::optional<SymbolConfiguration> symbolConfiguration() const { return configuration_; }
  const DrawingHandler& drawingHandler() const { return handler_; }

 private:
  Image() = default;

  Size size_;
  bool flipped_ = false;
  bool template_ = false;
  std::string symbolName_;
  std::string accessibilityDescription_;
  std::optional<SymbolConfiguration> configuration_;
  DrawingHandler handler_;
};

}  // namespace ui

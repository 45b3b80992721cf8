#include "app/ui/Image.h"

#include "app/ui/SymbolPainter.h"

namespace ui {

namespace {
// A symbol's glyph box is a little larger than its point size, as a font's
// line is larger than its em.
constexpr double kSymbolBoxPerPoint = 1.2;
constexpr double kDefaultSymbolPointSize = 13;
}  // namespace

std::shared_ptr<Image> Image::systemSymbol(std::string_view name,
                                           std::string accessibilityDescription) {
  if (!SymbolPainter::knows(name)) {
    return nullptr;
  }
  std::shared_ptr<Image> image(new Image);
  const double side = kDefaultSymbolPointSize * kSymbolBoxPerPoint;
  image->size_ = {side, side};
  image->template_ = true;
  image->symbolName_ = name;
  image->accessibilityDescription_ = std::move(accessibilityDescription);
  return image;
}

std::shared_ptr<Image> Image::drawn(Size size, bool flipped, DrawingHandler handler) {
  std::shared_ptr<Image> image(new Image);
  image->size_ = size;
  image->flipped_ = flipped;
  image->handler_ = std::move(handler);
  return image;
}

std::shared_ptr<Image> Image::withSymbolConfiguration(SymbolConfiguration configuration) const {
  std::shared_ptr<Image> image(new Image(*this));
  if (!symbolName_.empty()) {
    const double side = configuration.pointSize * kSymbolBoxPerPoint;
    image->size_ = {side, side};
    image->configuration_ = configuration;
  }
  return image;
}

}  // namespace ui

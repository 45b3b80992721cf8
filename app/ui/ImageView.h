#pragma once

#include <memory>
#include <optional>

#include "app/ui/Color.h"
#include "app/ui/Image.h"
#include "app/ui/View.h"

namespace ui {

// Shows an image centred in its frame, at its own size or scaled down to fit.
// Symbol and template images take the content tint colour (the label colour
// when none is set).
class ImageView : public View {
 public:
  explicit ImageView(Rect frame);
  ~ImageView() override;

  std::shared_ptr<Image> image() const;
  void setImage(std::shared_ptr<Image> image);
  std::optional<Color> contentTintColor() const;
  void setContentTintColor(std::optional<Color> color);

  struct State;

 private:
  std::shared_ptr<State> state_;
};

}  // namespace ui

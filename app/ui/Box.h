#pragma once

#include "app/ui/View.h"

namespace ui {

enum class BoxType { Primary, Separator };

// A box; as a separator it draws a hairline across its width, centred in its
// height. A primary box draws nothing of its own.
class Box : public View {
 public:
  explicit Box(Rect frame);
  ~Box() override;

  BoxType boxType() const;
  void setBoxType(BoxType type);

 private:
  std::shared_ptr<BoxType> type_;
};

}  // namespace ui

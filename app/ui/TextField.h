#pragma once

#include <memory>
#include <string>

#include "app/ui/Color.h"
#include "app/ui/Font.h"
#include "app/ui/View.h"

namespace ui {

enum class TextAlignment { Left, Center, Right };
enum class LineBreakMode { Clipping, TruncatingTail };

// A text field used as a label: one line of read-only text without border,
// on a transparent background unless given one, vertically centred.
class TextField : public View {
 public:
  explicit TextField(Rect frame);
  ~TextField() override;

  std::string stringValue() const;
  void setStringValue(std::string text);
  Font font() const;
  void setFont(Font font);
  Color textColor() const;
  void setTextColor(Color color);
  TextAlignment alignment() const;
  void setAlignment(TextAlignment alignment);
  LineBreakMode lineBreakMode() const;
  void setLineBreakMode(LineBreakMode mode);
  Color backgroundColor() const;
  void setBackgroundColor(Color color);

  // The text as drawn in the current frame: ends in an ellipsis when it is
  // cut at the tail.
  std::string displayedText() const;

  struct State;

 private:
  std::shared_ptr<State> state_;
};

}  // namespace ui

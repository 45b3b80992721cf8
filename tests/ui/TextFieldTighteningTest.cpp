#include <gtest/gtest.h>

#include "app/ui/TextField.h"

namespace {

// The banner's text is a few pixels wider than its frame in the common
// desktop fonts: it must read whole, tightened, not lose its last word.
TEST(TextField, TightensSlightlyBeforeCuttingItsTail) {
  ui::TextField label(ui::Rect{30, 12, 135, 18});
  label.setFont(ui::Font::systemFont(10, ui::FontWeight::Medium));
  label.setLineBreakMode(ui::LineBreakMode::TruncatingTail);
  label.setStringValue("Key control requires access");
  EXPECT_EQ(label.displayedText(), "Key control requires access");
  label.setStringValue("Key control requires access to every keyboard");
  EXPECT_EQ(label.displayedText().substr(label.displayedText().size() - 3), "\u2026");
}

}  // namespace

#pragma once

#include <memory>
#include <string>
#include <string_view>

#include "app/ui/Button.h"
#include "app/ui/Color.h"
#include "app/ui/Font.h"
#include "app/ui/ImageView.h"
#include "app/ui/TextField.h"

// The popover's recurring controls, each made in one call.
namespace popover_controls {

// A system symbol in `tint`.
std::shared_ptr<ui::ImageView> symbolView(ui::Rect frame, std::string_view symbol,
                                          std::string description, ui::Color tint);
// A static text on a clear background.
std::shared_ptr<ui::TextField> label(ui::Rect frame, std::string text, ui::Font font);
// A small push button with rounded ends.
std::shared_ptr<ui::Button> smallRoundedButton(ui::Rect frame, std::string title,
                                               ui::Button::Action action);

}  // namespace popover_controls

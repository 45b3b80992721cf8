#include "popover/PopoverControls.h"

#include "app/ui/Image.h"

namespace popover_controls {

std::shared_ptr<ui::ImageView> symbolView(ui::Rect frame, std::string_view symbol,
                                          std::string description, ui::Color tint) {
  auto imageView = std::make_shared<ui::ImageView>(frame);
  imageView->setImage(ui::Image::systemSymbol(symbol, std::move(description)));
  imageView->setContentTintColor(tint);
  return imageView;
}

std::shared_ptr<ui::TextField> label(ui::Rect frame, std::string text, ui::Font font) {
  auto field = std::make_shared<ui::TextField>(frame);
  field->setStringValue(std::move(text));
  field->setFont(font);
  field->setBackgroundColor(ui::Color::clear());
  return field;
}

std::shared_ptr<ui::Button> smallRoundedButton(ui::Rect frame, std::string title,
                                               ui::Button::Action action) {
  auto button = ui::Button::pushButton(std::move(title), std::move(action));
  button->setFrame(frame);
  button->setBezelStyle(ui::BezelStyle::Rounded);
  button->setControlSize(ui::ControlSize::Small);
  return button;
}

}  // namespace popover_controls

#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>

#include "app/ui/Font.h"
#include "app/ui/View.h"

namespace ui {

enum class BezelStyle { Rounded, Recessed };
enum class ControlSize { Regular, Small };
enum class ControlState { Off, On };

// A push button or a checkbox. A click sends the action on the main thread
// with the button as sender; a checkbox has already taken its new state when
// its action runs. Setting the state from code sends nothing.
class Button : public View {
 public:
  using Action = std::function<void(Button& sender)>;

  static std::shared_ptr<Button> pushButton(std::string title, Action action);
  static std::shared_ptr<Button> checkbox(std::string title, Action action);
  ~Button() override;

  std::string title() const;
  void setTitle(std::string title);
  std::int64_t tag() const;
  void setTag(std::int64_t tag);
  ControlState state() const;
  void setState(ControlState state);
  BezelStyle bezelStyle() const;
  void setBezelStyle(BezelStyle style);
  ControlSize controlSize() const;
  void setControlSize(ControlSize size);
  Font font() const;
  void setFont(Font font);
  void setAction(Action action);

  // Clicks the button as a user would: a checkbox changes its state, then
  // the action is sent.
  void performClick();

  struct State;

 private:
  Button(bool isCheckbox, std::string title, Action action);
  void applyLook();

  std::shared_ptr<State> state_;
};

}  // namespace ui

#include "app/ui/Button.h"

#include <QCheckBox>
#include <QPushButton>

#include "app/ui/QtConversions.h"
#include "app/ui/ViewImpl.h"

namespace ui {

namespace {
// Text sizes of the two control sizes, as the desktop's controls draw them.
constexpr double kRegularTextSize = 13;
constexpr double kSmallTextSize = 11;

// A recessed button sits flat in its row and shows a soft well under the
// pointer and while pressed.
constexpr char kRecessedStyle[] =
    "QPushButton { border: none; border-radius: 5px; padding: 0px;"
    " background: rgba(128, 128, 128, 36); }"
    "QPushButton:hover { background: rgba(128, 128, 128, 64); }"
    "QPushButton:pressed { background: rgba(128, 128, 128, 96); }";

QAbstractButton* makeWidget(bool isCheckbox) {
  if (isCheckbox) {
    return new QCheckBox;
  }
  return new QPushButton;
}
}  // namespace

struct Button::State {
  QAbstractButton* widget = nullptr;
  std::int64_t tag = 0;
  ControlState pushState = ControlState::Off;
  BezelStyle bezelStyle = BezelStyle::Rounded;
  ControlSize controlSize = ControlSize::Regular;
  std::optional<Font> font;
  Action action;
};

Button::Button(bool isCheckbox, std::string title, Action action)
    : View(std::make_unique<Impl>(makeWidget(isCheckbox))), state_(std::make_shared<State>()) {
  state_->widget = static_cast<QAbstractButton*>(impl().widget.data());
  state_->action = std::move(action);
  state_->widget->setText(toQString(title));
  // Clicks reach the program without moving keyboard focus into the popup.
  state_->widget->setFocusPolicy(Qt::NoFocus);
  QObject::connect(state_->widget, &QAbstractButton::clicked, [this] {
    Action action = state_->action;  // The action may replace itself.
    if (action) {
      action(*this);
    }
  });
  applyLook();
}

std::shared_ptr<Button> Button::pushButton(std::string title, Action action) {
  return std::shared_ptr<Button>(new Button(false, std::move(title), std::move(action)));
}

std::shared_ptr<Button> Button::checkbox(std::string title, Action action) {
  return std::shared_ptr<Button>(new Button(true, std::move(title), std::move(action)));
}

Button::~Button() = default;

std::string Button::title() const { return fromQString(state_->widget->text()); }

void Button::setTitle(std::string title) { state_->widget->setText(toQString(title)); }

std::int64_t Button::tag() const { return state_->tag; }

void Button::setTag(std::int64_t tag) { state_->tag = tag; }

ControlState Button::state() const {
  if (!state_->widget->isCheckable()) {
    return state_->pushState;
  }
  return state_->widget->isChecked() ? ControlState::On : ControlState::Off;
}

void Button::setState(ControlState state) {
  if (!state_->widget->isCheckable()) {
    state_->pushState = state;
    return;
  }
  state_->widget->setChecked(state == ControlState::On);
}

BezelStyle Button::bezelStyle() const { return state_->bezelStyle; }

void Button::setBezelStyle(BezelStyle style) {
  state_->bezelStyle = style;
  applyLook();
}

ControlSize Button::controlSize() const { return state_->controlSize; }

void Button::setControlSize(ControlSize size) {
  state_->controlSize = size;
  applyLook();
}

Font Button::font() const {
  const double size = state_->controlSize == ControlSize::Small ? kSmallTextSize : kRegularTextSize;
  return state_->font.value_or(Font::systemFont(size, FontWeight::Regular));
}

void Button::setFont(Font font) {
  state_->font = font;
  applyLook();
}

void Button::setAction(Action action) { state_->action = std::move(action); }

void Button::performClick() { state_->widget->click(); }

void Button::applyLook() {
  const bool recessed = state_->bezelStyle == BezelStyle::Recessed &&
                        dynamic_cast<QPushButton*>(state_->widget) != nullptr;
  state_->widget->setStyleSheet(recessed ? kRecessedStyle : "");
  state_->widget->setFont(toQFont(font()));
}

}  // namespace ui

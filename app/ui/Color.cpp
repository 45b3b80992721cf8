#include "app/ui/Color.h"

#include <QGuiApplication>
#include <QPalette>

#include "app/ui/DrawingContext.h"
#include "app/ui/QtConversions.h"

namespace ui {

namespace {
// How strongly secondary, tertiary and separator text stands out from the
// label colour; the usual steps of a desktop's text hierarchy.
constexpr double kSecondaryAlpha = 0.55;
constexpr double kTertiaryAlpha = 0.3;
constexpr double kSeparatorAlpha = 0.15;

Color paletteText() {
  if (QGuiApplication::instance() == nullptr) {
    return Color::black();
  }
  return fromQColor(QGuiApplication::palette().color(QPalette::Active, QPalette::WindowText));
}

bool darkAppearance() { return paletteText().red > 0.5; }
}  // namespace

Color Color::systemOrange() {
  // A touch lighter on dark desktops, so it keeps its contrast.
  return darkAppearance() ? Color{1.0, 0.624, 0.039, 1} : Color{1.0, 0.584, 0.0, 1};
}

Color Color::label() { return paletteText(); }

Color Color::secondaryLabel() { return paletteText().withAlphaComponent(kSecondaryAlpha); }

Color Color::tertiaryLabel() { return paletteText().withAlphaComponent(kTertiaryAlpha); }

Color Color::separator() { return paletteText().withAlphaComponent(kSeparatorAlpha); }

void Color::setStroke() const {
  if (DrawingContext* context = DrawingContext::current()) {
    context->strokeColor = toQColor(*this);
  }
}

void Color::setFill() const {
  if (DrawingContext* context = DrawingContext::current()) {
    context->fillColor = toQColor(*this);
  }
}

}  // namespace ui

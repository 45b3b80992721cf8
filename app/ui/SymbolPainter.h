#pragma once

#include <QPainterPath>
#include <QRectF>
#include <string_view>

#include "app/ui/Font.h"

namespace ui {

// The system symbols, drawn as filled outlines so any colour can fill them.
// Theme icons cannot stand in: symbolic ones are not recoloured by Qt and many
// desktops lack them.
class SymbolPainter {
 public:
  static bool knows(std::string_view name);
  // The symbol's outline fitted into the square `box` (top-down coordinates).
  static QPainterPath outline(std::string_view name, const QRectF& box, FontWeight weight);
};

}  // namespace ui

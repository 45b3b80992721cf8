#pragma once

#include <QColor>
#include <QFont>
#include <QRect>
#include <QString>
#include <string>

#include "app/ui/Color.h"
#include "app/ui/Font.h"
#include "app/ui/Geometry.h"

namespace ui {

QColor toQColor(const Color& color);
Color fromQColor(const QColor& color);
QFont toQFont(const Font& font);
QString toQString(const std::string& text);
std::string fromQString(const QString& text);
QRect toQRect(const Rect& rect);

}  // namespace ui

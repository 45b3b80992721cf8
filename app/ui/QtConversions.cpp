#include "app/ui/QtConversions.h"

#include <QApplication>
#include <cmath>

namespace ui {

namespace {
QFont::Weight toQtWeight(FontWeight weight) {
  switch (weight) {
    case FontWeight::Regular:
      return QFont::Normal;
    case FontWeight::Medium:
      return QFont::Medium;
    case FontWeight::Semibold:
      return QFont::DemiBold;
    case FontWeight::Bold:
      return QFont::Bold;
  }
  return QFont::Normal;
}
}  // namespace

QColor toQColor(const Color& color) {
  return QColor::fromRgbF(static_cast<float>(color.red), static_cast<float>(color.green),
                          static_cast<float>(color.blue), static_cast<float>(color.alpha));
}

Color fromQColor(const QColor& color) {
  return {color.redF(), color.greenF(), color.blueF(), color.alphaF()};
}

QFont toQFont(const Font& font) {
  QFont qfont = QApplication::font();
  qfont.setPixelSize(std::max(1, static_cast<int>(std::lround(font.pointSize))));
  qfont.setWeight(toQtWeight(font.weight));
  // The desktop's sans fonts (DejaVu, Noto, Cantarell) draw tabular digits by
  // default, which is what the monospaced-digit variant asks for.
  return qfont;
}

QString toQString(const std::string& text) { return QString::fromStdString(text); }

std::string fromQString(const QString& text) { return text.toStdString(); }

QRect toQRect(const Rect& rect) {
  return QRect(static_cast<int>(std::lround(rect.x)), static_cast<int>(std::lround(rect.y)),
               static_cast<int>(std::lround(rect.width)),
               static_cast<int>(std::lround(rect.height)));
}

}  // namespace ui

#include "popover/PopoverControls.h"

#include <QApplication>
#include <QFontMetricsF>
#include <QPalette>

namespace popover_controls {

namespace {
// Text a few pixels too wide for the fonts of this desktop still reads whole.
constexpr double kTightestLetterSpacingPercent = 95;
constexpr int kTextInset = 2;
}  // namespace

QColor textColour(double alpha) {
  QColor colour = QApplication::palette().color(QPalette::Active, QPalette::WindowText);
  colour.setAlphaF(static_cast<float>(alpha));
  return colour;
}

QColor orange() {
  const bool dark = textColour().redF() > 0.5;
  return dark ? QColor::fromRgbF(1.0f, 0.624f, 0.039f) : QColor::fromRgbF(1.0f, 0.584f, 0.0f);
}

QFont font(int pixelSize, QFont::Weight weight) {
  QFont font = QApplication::font();
  font.setPixelSize(pixelSize);
  font.setWeight(weight);
  return font;
}

QLabel* label(QWidget* parent, QRect frame, const QString& text, const QFont& font,
              const QColor& colour, Qt::Alignment alignment) {
  auto* label = new QLabel(parent);
  label->setGeometry(frame);
  label->setTextFormat(Qt::PlainText);
  label->setContentsMargins(kTextInset, 0, kTextInset, 0);
  label->setAlignment(alignment | Qt::AlignVCenter);
  label->setFont(font);
  QPalette palette = label->palette();
  palette.setColor(QPalette::WindowText, colour);
  label->setPalette(palette);
  label->setText(text);
  return label;
}

void showFitted(QLabel& label, const QString& text, const QFont& base) {
  const double room = label.contentsRect().width();
  QFont font = base;
  if (QFontMetricsF(font).horizontalAdvance(text) > room) {
    QFont tightened = font;
    tightened.setLetterSpacing(QFont::PercentageSpacing, kTightestLetterSpacingPercent);
    if (QFontMetricsF(tightened).horizontalAdvance(text) <= room) {
      font = tightened;
    }
  }
  label.setFont(font);
  label.setText(QFontMetricsF(font).elidedText(text, Qt::ElideRight, room));
}

QPushButton* button(QWidget* parent, QRect frame, const QString& title, const QFont& font) {
  auto* button = new QPushButton(title, parent);
  button->setGeometry(frame);
  button->setFont(font);
  button->setFocusPolicy(Qt::NoFocus);
  return button;
}

}  // namespace popover_controls

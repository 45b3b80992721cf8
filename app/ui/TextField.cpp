#include "app/ui/TextField.h"

#include <QFontMetricsF>
#include <QPainter>

#include "app/ui/QtConversions.h"
#include "app/ui/ViewImpl.h"
#include "app/ui/ViewWidget.h"

namespace ui {

namespace {
// Room a text cell leaves between its edges and its text.
constexpr double kHorizontalInset = 2;
// A truncating label first tightens its letter spacing by up to this much, so
// text a few pixels too wide for the fonts of this desktop still reads whole.
constexpr double kTightestLetterSpacingPercent = 95;

Qt::Alignment toQtAlignment(TextAlignment alignment) {
  switch (alignment) {
    case TextAlignment::Left:
      return Qt::AlignLeft;
    case TextAlignment::Center:
      return Qt::AlignHCenter;
    case TextAlignment::Right:
      return Qt::AlignRight;
  }
  return Qt::AlignLeft;
}
}  // namespace

struct TextField::State {
  QString text;
  Font font = Font::systemFont(13, FontWeight::Regular);
  QFont qfont = toQFont(font);
  Color textColor = Color::label();
  TextAlignment alignment = TextAlignment::Left;
  LineBreakMode lineBreakMode = LineBreakMode::Clipping;
  Color backgroundColor = Color::clear();

  // The font the text is drawn in: tightened when that lets it fit whole.
  QFont fittedFont(double width) const {
    const double room = width - 2 * kHorizontalInset;
    if (lineBreakMode != LineBreakMode::TruncatingTail ||
        QFontMetricsF(qfont).horizontalAdvance(text) <= room) {
      return qfont;
    }
    QFont tightened = qfont;
    tightened.setLetterSpacing(QFont::PercentageSpacing, kTightestLetterSpacingPercent);
    return QFontMetricsF(tightened).horizontalAdvance(text) <= room ? tightened : qfont;
  }

  QString shownText(double width) const {
    if (lineBreakMode != LineBreakMode::TruncatingTail) {
      return text;
    }
    return QFontMetricsF(fittedFont(width))
        .elidedText(text, Qt::ElideRight, width - 2 * kHorizontalInset);
  }

  void paint(QPainter& painter, const QRectF& bounds) const {
    painter.fillRect(bounds, toQColor(backgroundColor));
    painter.setFont(fittedFont(bounds.width()));
    painter.setPen(toQColor(textColor));
    const QRectF textArea = bounds.adjusted(kHorizontalInset, 0, -kHorizontalInset, 0);
    painter.drawText(textArea, toQtAlignment(alignment) | Qt::AlignVCenter | Qt::TextSingleLine,
                     shownText(bounds.width()));
  }
};

TextField::TextField(Rect frame)
    : View(std::make_unique<Impl>(new ViewWidget)), state_(std::make_shared<State>()) {
  paintContentWith<State>(impl(), state_);
  setFrame(frame);
}

TextField::~TextField() = default;

std::string TextField::stringValue() const { return fromQString(state_->text); }

void TextField::setStringValue(std::string text) {
  state_->text = toQString(text);
  impl().widget->update();
}

Font TextField::font() const { return state_->font; }

void TextField::setFont(Font font) {
  state_->font = font;
  state_->qfont = toQFont(font);
  impl().widget->update();
}

Color TextField::textColor() const { return state_->textColor; }

void TextField::setTextColor(Color color) {
  state_->textColor = color;
  impl().widget->update();
}

TextAlignment TextField::alignment() const { return state_->alignment; }

void TextField::setAlignment(TextAlignment alignment) {
  state_->alignment = alignment;
  impl().widget->update();
}

LineBreakMode TextField::lineBreakMode() const { return state_->lineBreakMode; }

void TextField::setLineBreakMode(LineBreakMode mode) {
  state_->lineBreakMode = mode;
  impl().widget->update();
}

Color TextField::backgroundColor() const { return state_->backgroundColor; }

void TextField::setBackgroundColor(Color color) {
  state_->backgroundColor = color;
  impl().widget->update();
}

std::string TextField::displayedText() const {
  return fromQString(state_->shownText(frame().width));
}

}  // namespace ui

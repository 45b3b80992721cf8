#pragma once

#include <QColor>
#include <QFont>
#include <QLabel>
#include <QPushButton>
#include <QRect>
#include <QString>

// The popover's colours, fonts and recurring controls, each made in one call.
namespace popover_controls {

// How strongly secondary and tertiary text stands out from the label
// colour; the usual steps of a desktop's text hierarchy.
inline constexpr double kSecondaryAlpha = 0.55;
inline constexpr double kTertiaryAlpha = 0.3;

// The palette's text colour at `alpha`: light on a dark desktop theme.
QColor textColour(double alpha = 1);
// A warning orange, a touch lighter on dark themes to keep its contrast.
QColor orange();
// The desktop's interface font at a size in pixels, so text keeps its size
// relative to the frames around it.
QFont font(int pixelSize, QFont::Weight weight);

// A static plain text in `colour`, 2 pixels clear of its sides.
QLabel* label(QWidget* parent, QRect frame, const QString& text, const QFont& font,
              const QColor& colour, Qt::Alignment alignment = Qt::AlignLeft);
// Shows `text` in `base` whole if it fits, with letters a little closer if
// that makes it fit, else cut short with an ellipsis.
void showFitted(QLabel& label, const QString& text, const QFont& base);
// A push button that clicks without taking the keyboard focus.
QPushButton* button(QWidget* parent, QRect frame, const QString& title, const QFont& font);

}  // namespace popover_controls

#include "popover/PopoverView.h"

#include <QPainter>
#include <QPainterPath>
#include <algorithm>

#include "hud/Glyphs.h"
#include "popover/PopoverControls.h"
#include "popover/PopoverLayout.h"

namespace layout = popover_layout;

namespace {

constexpr double kRegular = 1.0;
constexpr double kMedium = 1.12;
constexpr double kSymbolPointSize = 13;
constexpr double kDisplayPointSize = 14;
// The banner's tint: faint enough to keep its text readable in both themes.
constexpr float kBannerFillAlpha = 0.15f;
constexpr float kBannerBorderAlpha = 0.35f;
constexpr double kBannerCornerRadius = 8;
constexpr double kSeparatorAlpha = 0.15;

}  // namespace

PopoverView::PopoverView()
    : secondary_(popover_controls::textColour(popover_controls::kSecondaryAlpha)),
      tertiary_(popover_controls::textColour(popover_controls::kTertiaryAlpha)),
      orange_(popover_controls::orange()) {
  setAttribute(Qt::WA_NoSystemBackground);
  resize(layout::kWidth, layout::kHeightWithAccess);
}

void PopoverView::setBannerShown(bool shown) {
  bannerShown_ = shown;
  fitHeight();
}

void PopoverView::setDisplayRows(int rows) {
  displayRows_ = std::max(rows, 1);
  fitHeight();
}

int PopoverView::rowsHeight() const { return (displayRows_ - 1) * layout::kDisplayRowStep; }

void PopoverView::fitHeight() {
  resize(layout::kWidth,
         (bannerShown_ ? layout::kHeightWithBanner : layout::kHeightWithAccess) + rowsHeight());
  update();
}

void PopoverView::paintEvent(QPaintEvent*) {
  QPainter painter(this);
  painter.setRenderHint(QPainter::Antialiasing);
  for (int row = 0; row < displayRows_; ++row) {
    const QPoint down(0, row * layout::kDisplayRowStep);
    Glyphs::paint(painter, Glyphs::display, layout::kDisplayIcon.translated(down),
                  kDisplayPointSize, kMedium, secondary_);
    Glyphs::paint(painter, Glyphs::dimSun, layout::kMinIcon.translated(down), kSymbolPointSize,
                  kRegular, tertiary_);
    Glyphs::paint(painter, Glyphs::sun, layout::kMaxIcon.translated(down), kSymbolPointSize,
                  kRegular, secondary_);
  }
  if (bannerShown_) {
    paintBanner(painter);
  }
  paintDivider(painter);
}

// The border lies inside the box.
void PopoverView::paintBanner(QPainter& painter) const {
  const QRectF box =
      QRectF(layout::kBanner.translated(0, rowsHeight())).adjusted(0.5, 0.5, -0.5, -0.5);
  QPainterPath shape;
  shape.addRoundedRect(box, kBannerCornerRadius - 0.5, kBannerCornerRadius - 0.5);
  QColor fill = orange_;
  fill.setAlphaF(kBannerFillAlpha);
  QColor border = orange_;
  border.setAlphaF(kBannerBorderAlpha);
  painter.fillPath(shape, fill);
  painter.strokePath(shape, QPen(border, 1));
  Glyphs::paint(painter, Glyphs::warning, layout::kWarningIcon.translated(0, rowsHeight()),
                kSymbolPointSize, kRegular, orange_);
}

// A hairline across the view, kept to its one row of pixels, in the
// palette's colour of the moment.
void PopoverView::paintDivider(QPainter& painter) const {
  const QRect line = layout::kDivider.translated(0, height() - layout::kHeightWithAccess);
  const double y = QRectF(line).center().y();
  painter.save();
  painter.setClipRect(line);
  painter.setRenderHint(QPainter::Antialiasing, false);
  painter.setPen(QPen(popover_controls::textColour(kSeparatorAlpha), 1));
  painter.drawLine(QPointF(line.left(), y), QPointF(line.left() + line.width(), y));
  painter.restore();
}

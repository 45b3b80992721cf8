#include "hud/HudCapsule.h"

#include <QGuiApplication>
#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <QPixmap>
#include <QScreen>
#include <algorithm>

#include "display/LevelText.h"
#include "hud/Glyphs.h"
#include "platform/popup/BackdropBlur.h"

namespace {

constexpr QSize kSize(220, 50);
const QRectF kIconFrame(14, 13, 24, 24);
const QRectF kTrack(48, 22, 115, 6);  // A slim capsule across the bar's 10-pixel row.
const QRectF kLabelFrame(168, 17, 44, 18);
constexpr double kSunPointSize = 17;
constexpr double kSemibold = 1.25;
constexpr int kLabelPixelSize = 12;
constexpr double kLabelInset = 2;
const QColor kBorder = QColor::fromRgbF(1, 1, 1, 0.15f);
const QColor kTrackColour(255, 255, 255, 64);
const QColor kFillColour(255, 255, 255, 240);
// A dark tint, a little lighter at the top so the capsule catches light;
// white content reads over anything. Over the blurred backdrop the colours
// behind come through; with nothing to blur the tint is dense enough that
// what lies behind only shows as faint shapes.
const QColor kTopOverBlur(62, 62, 66, 190);
const QColor kBottomOverBlur(34, 34, 38, 205);
const QColor kTopAlone(62, 62, 66, 234);
const QColor kBottomAlone(34, 34, 38, 240);
// Strong enough that text behind cannot be read.
constexpr int kBlurRadius = 10;

// Both ends semicircles; the border lies inside the bounds.
QPainterPath outline(double inset) {
  const QRectF bounds = QRectF(QPointF(0, 0), kSize).adjusted(inset, inset, -inset, -inset);
  const double radius = kSize.height() / 2.0 - inset;
  QPainterPath path;
  path.addRoundedRect(bounds, radius, radius);
  return path;
}

}  // namespace

HudCapsule::HudCapsule()
    : QWidget(nullptr, Qt::Tool | Qt::FramelessWindowHint | Qt::WindowDoesNotAcceptFocus |
                           Qt::WindowStaysOnTopHint | Qt::X11BypassWindowManagerHint) {
  setAttribute(Qt::WA_ShowWithoutActivating);
  setAttribute(Qt::WA_TranslucentBackground);
  setFocusPolicy(Qt::NoFocus);
  setFixedSize(kSize);
  // Without a compositor the corners are cut out instead of black.
  setMask(QRegion(outline(0).toFillPolygon().toPolygon()));
}

void HudCapsule::setLevel(std::int64_t level) {
  level_ = level;
  text_ = QString::fromStdString(levelText(level));
  update();
}

// Sent as the window comes up but before it is mapped, so the picture holds
// what is behind the window and not the window itself.
void HudCapsule::showEvent(QShowEvent* event) {
  QWidget::showEvent(event);
  captureBackdrop();
}

void HudCapsule::captureBackdrop() {
  backdrop_ = QImage();
  const QRect area(mapToGlobal(QPoint(0, 0)), size());
  QScreen* screen = QGuiApplication::screenAt(area.center());
  if (screen == nullptr) {
    return;
  }
  const QPoint offset = area.topLeft() - screen->geometry().topLeft();
  const QPixmap picture =
      screen->grabWindow(0, offset.x(), offset.y(), area.width(), area.height());
  if (!picture.isNull()) {
    const int radius = static_cast<int>(kBlurRadius * picture.devicePixelRatio());
    backdrop_ = platform::BackdropBlur::blurred(picture.toImage(), radius);
  }
}

void HudCapsule::paintEvent(QPaintEvent*) {
  QPainter painter(this);
  painter.setRenderHint(QPainter::Antialiasing);
  paintBody(painter);
  Glyphs::paint(painter, Glyphs::sun, kIconFrame, kSunPointSize, kSemibold, Qt::white);
  paintBar(painter);
  paintLabel(painter);
}

void HudCapsule::paintBody(QPainter& painter) const {
  const QPainterPath shape = outline(0.5);
  const QRectF bounds(rect());
  const bool blurred = !backdrop_.isNull();
  painter.save();
  painter.setClipPath(shape);
  if (blurred) {
    painter.drawImage(bounds, backdrop_);
  }
  QLinearGradient tint(bounds.topLeft(), bounds.bottomLeft());
  tint.setColorAt(0, blurred ? kTopOverBlur : kTopAlone);
  tint.setColorAt(1, blurred ? kBottomOverBlur : kBottomAlone);
  painter.fillRect(bounds, tint);
  painter.restore();
  painter.strokePath(shape, QPen(kBorder, 1));
}

// The fill keeps the track's rounded ends, however short it is.
void HudCapsule::paintBar(QPainter& painter) const {
  const double radius = kTrack.height() / 2;
  QPainterPath track;
  track.addRoundedRect(kTrack, radius, radius);
  painter.fillPath(track, kTrackColour);
  QRectF filled = kTrack;
  filled.setWidth(kTrack.width() * std::clamp(static_cast<double>(level_) / 100, 0.0, 1.0));
  painter.save();
  painter.setClipRect(filled);
  painter.fillPath(track, kFillColour);
  painter.restore();
}

void HudCapsule::paintLabel(QPainter& painter) const {
  QFont font = QGuiApplication::font();
  font.setPixelSize(kLabelPixelSize);
  font.setWeight(QFont::DemiBold);
  painter.save();
  painter.setClipRect(kLabelFrame);
  painter.setFont(font);
  painter.setPen(Qt::white);
  painter.drawText(kLabelFrame.adjusted(kLabelInset, 0, -kLabelInset, 0),
                   Qt::AlignRight | Qt::AlignVCenter | Qt::TextSingleLine, text_);
  painter.restore();
}

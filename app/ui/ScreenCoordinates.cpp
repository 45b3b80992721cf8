#include "app/ui/ScreenCoordinates.h"

#include <QGuiApplication>
#include <QScreen>

namespace ui {

ScreenCoordinates::ScreenCoordinates(double primaryScreenHeight)
    : primaryScreenHeight_(primaryScreenHeight) {}

ScreenCoordinates ScreenCoordinates::current() {
  QScreen* primary = QGuiApplication::primaryScreen();
  return ScreenCoordinates(primary == nullptr ? 0.0 : primary->geometry().height());
}

Rect ScreenCoordinates::unflipped(const QRectF& qtRect) const {
  return Rect{qtRect.x(), primaryScreenHeight_ - (qtRect.y() + qtRect.height()), qtRect.width(),
              qtRect.height()};
}

QRectF ScreenCoordinates::qt(const Rect& unflippedRect) const {
  return QRectF(unflippedRect.x, primaryScreenHeight_ - (unflippedRect.y + unflippedRect.height),
                unflippedRect.width, unflippedRect.height);
}

}  // namespace ui

#include "platform/popup/XwaylandPressCatcher.h"

#include <QGuiApplication>
#include <QScreen>

namespace platform {

XwaylandPressCatcher::XwaylandPressCatcher()
    : QWidget(nullptr, Qt::Window | Qt::FramelessWindowHint | Qt::BypassWindowManagerHint |
                           Qt::WindowDoesNotAcceptFocus) {
  setAttribute(Qt::WA_TranslucentBackground);
  setAttribute(Qt::WA_ShowWithoutActivating);
  setAttribute(Qt::WA_X11DoNotAcceptFocus);
}

void XwaylandPressCatcher::spread() {
  QRect everywhere;
  for (const QScreen* screen : QGuiApplication::screens()) {
    everywhere |= screen->geometry();
  }
  setGeometry(everywhere);
  show();
}

// Fully clear: the compositor still hands it the pointer, as X11 input does
// not look at transparency.
void XwaylandPressCatcher::paintEvent(QPaintEvent*) {}

}  // namespace platform

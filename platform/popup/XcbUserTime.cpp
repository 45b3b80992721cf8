#include "platform/popup/XcbUserTime.h"

#include <qpa/qplatformnativeinterface.h>
#include <QGuiApplication>
#include <QScreen>
#include <cstdint>

namespace platform {

void XcbUserTime::updateToNow() {
  QScreen* screen = QGuiApplication::primaryScreen();
  QPlatformNativeInterface* native = QGuiApplication::platformNativeInterface();
  if (QGuiApplication::platformName() != "xcb" || screen == nullptr || native == nullptr) {
    return;
  }
  // The server's time, from a round trip; both functions live in Qt's X11 plugin.
  const auto now = static_cast<std::uint32_t>(
      reinterpret_cast<quintptr>(native->nativeResourceForScreen("gettimestamp", screen)));
  using SetTime = void (*)(QScreen*, std::uint32_t);
  for (const char* setter : {"setapptime", "setappusertime"}) {
    // Handed out as a generic function; void (*)() is the type to cast through.
    auto generic = reinterpret_cast<void (*)()>(native->nativeResourceFunctionForScreen(setter));
    if (generic != nullptr) {
      reinterpret_cast<SetTime>(generic)(screen, now);
    }
  }
}

}  // namespace platform

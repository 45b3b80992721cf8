#include "platform/DesktopNotificationPrompt.h"

#include <QDBusConnection>
#include <QDBusMessage>
#include <QVariantMap>

namespace platform {

namespace {
constexpr int kExpireAsServerDecides = -1;
}  // namespace

void DesktopNotificationPrompt::show() {
  QDBusConnection bus = QDBusConnection::sessionBus();
  if (!bus.isConnected()) {
    return;
  }
  QDBusMessage notify = QDBusMessage::createMethodCall("org.freedesktop.Notifications",
                                                       "/org/freedesktop/Notifications",
                                                       "org.freedesktop.Notifications", "Notify");
  const QString body = QStringLiteral(
      "To let Glimmerbox take over the brightness keys, start its key service: "
      "sudo systemctl enable --now glimmerbox-keys.socket (the Glimmerbox package does "
      "this when installed).");
  notify << QStringLiteral("Glimmerbox") << 0u << QStringLiteral("display-brightness")
         << QStringLiteral("Glimmerbox needs access to the keyboard") << body << QStringList()
         << QVariantMap() << kExpireAsServerDecides;
  // Sent without waiting for an answer: no service, no notification.
  bus.send(notify);
}

}  // namespace platform

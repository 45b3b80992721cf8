#include "platform/desktop/DesktopNotification.h"

#include <QDBusConnection>
#include <QDBusMessage>
#include <QVariantMap>

namespace platform {

namespace {
constexpr int kExpireAsServerDecides = -1;
}  // namespace

void DesktopNotification::show(const std::string& summary, const std::string& body) {
  QDBusConnection bus = QDBusConnection::sessionBus();
  if (!bus.isConnected()) {
    return;
  }
  QDBusMessage notify = QDBusMessage::createMethodCall("org.freedesktop.Notifications",
                                                       "/org/freedesktop/Notifications",
                                                       "org.freedesktop.Notifications", "Notify");
  notify << QStringLiteral("Glimmerbox") << 0u << QStringLiteral("display-brightness")
         << QString::fromStdString(summary) << QString::fromStdString(body) << QStringList()
         << QVariantMap() << kExpireAsServerDecides;
  bus.send(notify);
}

}  // namespace platform

#include "platform/screens/MutterMonitors.h"

#include <QDBusArgument>
#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QDBusMessage>
#include <QVariantMap>

namespace platform {
namespace {

constexpr const char* kService = "org.gnome.Mutter.DisplayConfig";
constexpr const char* kPath = "/org/gnome/Mutter/DisplayConfig";
// Mutter answers at once; this only bounds a hung compositor.
constexpr int kReplyTimeoutMs = 500;
constexpr qsizetype kLogicalMonitorsArgument = 2;

// Each logical monitor is (i x, i y, d scale, u transform, b primary,
// a(ssss) monitors as connector, vendor, product, serial, a{sv} properties).
void readLogicalMonitor(const QDBusArgument& argument, std::vector<MutterMonitor>& monitors) {
  int x = 0, y = 0;
  double scale = 1;
  uint transform = 0;
  bool primary = false;
  QVariantMap properties;
  argument.beginStructure();
  argument >> x >> y >> scale >> transform >> primary;
  argument.beginArray();
  while (!argument.atEnd()) {
    QString connector, vendor, product, serial;
    argument.beginStructure();
    argument >> connector >> vendor >> product >> serial;
    argument.endStructure();
    monitors.push_back({connector.toStdString(), product.toStdString(), x, y});
  }
  argument.endArray();
  argument >> properties;
  argument.endStructure();
}

}  // namespace

std::vector<MutterMonitor> MutterMonitors::current() {
  QDBusConnection bus = QDBusConnection::sessionBus();
  if (bus.interface() == nullptr || !bus.interface()->isServiceRegistered(kService)) {
    return {};
  }
  const QDBusMessage reply =
      bus.call(QDBusMessage::createMethodCall(kService, kPath, kService, "GetCurrentState"),
               QDBus::Block, kReplyTimeoutMs);
  if (reply.type() != QDBusMessage::ReplyMessage ||
      reply.arguments().size() <= kLogicalMonitorsArgument) {
    return {};
  }
  std::vector<MutterMonitor> monitors;
  const auto logical = reply.arguments()[kLogicalMonitorsArgument].value<QDBusArgument>();
  logical.beginArray();
  while (!logical.atEnd()) {
    readLogicalMonitor(logical, monitors);
  }
  logical.endArray();
  return monitors;
}

}  // namespace platform

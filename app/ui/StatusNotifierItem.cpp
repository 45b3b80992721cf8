#include "app/ui/StatusNotifierItem.h"

#include <QCoreApplication>
#include <QDBusArgument>
#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QDBusMessage>
#include <QDBusMetaType>
#include <QDBusServiceWatcher>
#include <QDBusVariant>
#include <QImage>
#include <QtEndian>

namespace {

// One icon image as the protocol carries it: ARGB32 in network byte order.
struct TrayPixmap {
  int width = 0;
  int height = 0;
  QByteArray argb;
};

QDBusArgument& operator<<(QDBusArgument& argument, const TrayPixmap& pixmap) {
  argument.beginStructure();
  argument << pixmap.width << pixmap.height << pixmap.argb;
  argument.endStructure();
  return argument;
}

const QDBusArgument& operator>>(const QDBusArgument& argument, TrayPixmap& pixmap) {
  argument.beginStructure();
  argument >> pixmap.width >> pixmap.height >> pixmap.argb;
  argument.endStructure();
  return argument;
}

}  // namespace

namespace ui {
namespace {

constexpr const char* kPath = "/StatusNotifierItem";
constexpr const char* kItemInterface = "org.kde.StatusNotifierItem";
constexpr const char* kWatcher = "org.kde.StatusNotifierWatcher";
constexpr const char* kPropertiesInterface = "org.freedesktop.DBus.Properties";
constexpr int kSizes[] = {16, 22, 24, 32, 48, 64};

QList<TrayPixmap> pixmapsOf(const QIcon& icon) {
  QList<TrayPixmap> pixmaps;
  for (int size : kSizes) {
    const QImage image = icon.pixmap(size, size).toImage().convertToFormat(QImage::Format_ARGB32);
    TrayPixmap pixmap{image.width(), image.height(), {}};
    for (int y = 0; y < image.height(); ++y) {
      const auto* line = reinterpret_cast<const quint32*>(image.constScanLine(y));
      for (int x = 0; x < image.width(); ++x) {
        const quint32 bigEndian = qToBigEndian(line[x]);
        pixmap.argb.append(reinterpret_cast<const char*>(&bigEndian), sizeof bigEndian);
      }
    }
    pixmaps.append(pixmap);
  }
  return pixmaps;
}

bool trayIsWatching() {
  const QDBusConnectionInterface* bus = QDBusConnection::sessionBus().interface();
  return bus != nullptr && bus->isServiceRegistered(kWatcher);
}

}  // namespace

std::unique_ptr<StatusNotifierItem> StatusNotifierItem::registerWithTray(Activated activated) {
  if (!trayIsWatching()) {
    return nullptr;
  }
  qDBusRegisterMetaType<TrayPixmap>();
  qDBusRegisterMetaType<QList<TrayPixmap>>();
  std::unique_ptr<StatusNotifierItem> item(new StatusNotifierItem(std::move(activated)));
  if (!item->announce()) {
    return nullptr;
  }
  // A tray that restarts (a bar reloaded) forgets its items.
  auto* watcher = new QDBusServiceWatcher(kWatcher, QDBusConnection::sessionBus(),
                                          QDBusServiceWatcher::WatchForRegistration,
                                          QCoreApplication::instance());
  QObject::connect(watcher, &QDBusServiceWatcher::serviceRegistered,
                   [item = item.get()] { item->announce(); });
  return item;
}

StatusNotifierItem::StatusNotifierItem(Activated activated)
    : activated_(std::move(activated)),
      serviceName_(
          QString("org.kde.StatusNotifierItem-%1-1").arg(QCoreApplication::applicationPid())) {}

StatusNotifierItem::~StatusNotifierItem() {
  QDBusConnection bus = QDBusConnection::sessionBus();
  bus.unregisterObject(kPath);
  bus.unregisterService(serviceName_);
}

bool StatusNotifierItem::announce() {
  QDBusConnection bus = QDBusConnection::sessionBus();
  if (!bus.objectRegisteredAt(kPath) &&
      (!bus.registerService(serviceName_) || !bus.registerVirtualObject(kPath, this))) {
    return false;
  }
  QDBusMessage registration = QDBusMessage::createMethodCall(
      kWatcher, "/StatusNotifierWatcher", kWatcher, "RegisterStatusNotifierItem");
  registration << serviceName_;
  return bus.call(registration).type() == QDBusMessage::ReplyMessage;
}

void StatusNotifierItem::setIcon(const QIcon& icon) {
  icon_ = icon;
  QDBusConnection::sessionBus().send(QDBusMessage::createSignal(kPath, kItemInterface, "NewIcon"));
}

QString StatusNotifierItem::introspect(const QString&) const {
  return R"xml(<interface name="org.kde.StatusNotifierItem">
  <property name="Category" type="s" access="read"/>
  <property name="Id" type="s" access="read"/>
  <property name="Title" type="s" access="read"/>
  <property name="Status" type="s" access="read"/>
  <property name="IconPixmap" type="a(iiay)" access="read"/>
  <property name="ItemIsMenu" type="b" access="read"/>
  <method name="Activate"><arg name="x" type="i" direction="in"/><arg name="y" type="i" direction="in"/></method>
  <method name="SecondaryActivate"><arg name="x" type="i" direction="in"/><arg name="y" type="i" direction="in"/></method>
  <method name="ContextMenu"><arg name="x" type="i" direction="in"/><arg name="y" type="i" direction="in"/></method>
  <method name="Scroll"><arg name="delta" type="i" direction="in"/><arg name="orientation" type="s" direction="in"/></method>
  <signal name="NewIcon"/>
</interface>)xml";
}

bool StatusNotifierItem::handleMessage(const QDBusMessage& message,
                                       const QDBusConnection& connection) {
  const QVariantMap properties{{"Category", "ApplicationStatus"},
                               {"Id", "glimmerbox"},
                               {"Title", "Glimmerbox"},
                               {"Status", "Active"},
                               {"IconPixmap", QVariant::fromValue(pixmapsOf(icon_))},
                               {"ItemIsMenu", false}};
  const QList<QVariant> arguments = message.arguments();
  const QString property = arguments.size() == 2 ? arguments[1].toString() : QString();
  QDBusMessage reply = message.createReply();
  if (message.interface() == kPropertiesInterface) {
    if (message.member() == "GetAll") {
      reply << properties;
    } else if (message.member() == "Get" && properties.contains(property)) {
      reply << QVariant::fromValue(QDBusVariant(properties.value(property)));
    } else {
      reply = message.createErrorReply(QDBusError::UnknownProperty, "No such property");
    }
  } else if (message.interface() != kItemInterface) {
    reply = message.createErrorReply(QDBusError::UnknownMethod, "No such method");
  } else if (message.member() == "Activate" && arguments.size() == 2) {
    activated_(QPoint(arguments[0].toInt(), arguments[1].toInt()));
  }
  connection.send(reply);
  return true;
}

}  // namespace ui

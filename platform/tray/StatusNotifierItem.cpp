#include "platform/tray/StatusNotifierItem.h"

#include <QCoreApplication>
#include <QDBusArgument>
#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QDBusMessage>
#include <QDBusMetaType>
#include <QDBusObjectPath>
#include <QDBusVariant>
#include <QFile>
#include <QImage>
#include <QTimer>
#include <QtEndian>

#include "platform/desktop/DataFiles.h"
#include "platform/tray/DBusObjectReplies.h"

namespace {

// One icon image as the protocol carries it: ARGB32 in network byte order.
struct TrayPixmap {
  int width = 0;
  int height = 0;
  QByteArray argb;
};

// The tooltip: an icon name, its pixmaps, a title and a text.
struct TrayToolTip {
  QString iconName;
  QList<TrayPixmap> pixmaps;
  QString title;
  QString text;
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

QDBusArgument& operator<<(QDBusArgument& argument, const TrayToolTip& tip) {
  argument.beginStructure();
  argument << tip.iconName << tip.pixmaps << tip.title << tip.text;
  argument.endStructure();
  return argument;
}

const QDBusArgument& operator>>(const QDBusArgument& argument, TrayToolTip& tip) {
  argument.beginStructure();
  argument >> tip.iconName >> tip.pixmaps >> tip.title >> tip.text;
  argument.endStructure();
  return argument;
}

}  // namespace

namespace platform {
namespace {

constexpr const char* kPath = "/StatusNotifierItem";
constexpr const char* kItemInterface = "org.kde.StatusNotifierItem";
constexpr const char* kWatcher = "org.kde.StatusNotifierWatcher";
// Installed with the program into the hicolor theme, which hosts colour to
// suit their panel like their own symbolic icons.
constexpr const char* kIconName = "glimmerbox-symbolic";
constexpr const char* kTitle = "Glimmerbox";
constexpr int kSizes[] = {16, 22, 24, 32, 48, 64};

constexpr const char* kIntrospection = R"xml(
  <interface name="org.kde.StatusNotifierItem">
    <property name="Category" type="s" access="read"/>
    <property name="Id" type="s" access="read"/>
    <property name="Title" type="s" access="read"/>
    <property name="Status" type="s" access="read"/>
    <property name="WindowId" type="i" access="read"/>
    <property name="IconThemePath" type="s" access="read"/>
    <property name="IconName" type="s" access="read"/>
    <property name="IconPixmap" type="a(iiay)" access="read"/>
    <property name="OverlayIconName" type="s" access="read"/>
    <property name="OverlayIconPixmap" type="a(iiay)" access="read"/>
    <property name="AttentionIconName" type="s" access="read"/>
    <property name="AttentionIconPixmap" type="a(iiay)" access="read"/>
    <property name="AttentionMovieName" type="s" access="read"/>
    <property name="ToolTip" type="(sa(iiay)ss)" access="read"/>
    <property name="ItemIsMenu" type="b" access="read"/>
    <property name="Menu" type="o" access="read"/>
    <method name="ContextMenu"><arg name="x" type="i" direction="in"/><arg name="y" type="i" direction="in"/></method>
    <method name="Activate"><arg name="x" type="i" direction="in"/><arg name="y" type="i" direction="in"/></method>
    <method name="SecondaryActivate"><arg name="x" type="i" direction="in"/><arg name="y" type="i" direction="in"/></method>
    <method name="Scroll"><arg name="delta" type="i" direction="in"/><arg name="orientation" type="s" direction="in"/></method>
    <signal name="NewTitle"/>
    <signal name="NewIcon"/>
    <signal name="NewAttentionIcon"/>
    <signal name="NewOverlayIcon"/>
    <signal name="NewToolTip"/>
    <signal name="NewStatus"><arg name="status" type="s"/></signal>
  </interface>)xml";

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

// GTK's hosts (GNOME's extension, waybar, swaybar, Xfce) send a wheel turn
// up as a negative delta, as GTK's scroll events have it; Plasma sends Qt's
// angle, positive up.
bool wheelTurnedUp(int delta, const QDBusMessage& message, const QDBusConnection& connection) {
  const QDBusConnectionInterface* bus = connection.interface();
  const uint pid = bus != nullptr ? bus->servicePid(message.service()).value() : 0;
  QFile command(QString("/proc/%1/comm").arg(pid));
  const bool plasma =
      pid != 0 && command.open(QIODevice::ReadOnly) && command.readAll().trimmed() == "plasmashell";
  return plasma ? delta > 0 : delta < 0;
}

// The build tree's icons, or the installed ones: where hosts look up the
// icon name before the themes they know.
QString iconThemePath() {
  const std::filesystem::path icons = platform::DataFiles::directory().parent_path() / "icons";
  const bool present = std::filesystem::exists(icons / "hicolor" / "scalable" / "apps" /
                                               (std::string(kIconName) + ".svg"));
  return present ? QString::fromStdString(icons.string()) : QString();
}

}  // namespace

std::unique_ptr<StatusNotifierItem> StatusNotifierItem::create(Handlers handlers,
                                                               QString menuPath) {
  qDBusRegisterMetaType<TrayPixmap>();
  qDBusRegisterMetaType<QList<TrayPixmap>>();
  qDBusRegisterMetaType<TrayToolTip>();
  std::unique_ptr<StatusNotifierItem> item(
      new StatusNotifierItem(std::move(handlers), std::move(menuPath)));
  QDBusConnection bus = QDBusConnection::sessionBus();
  if (!bus.registerService(item->serviceName_) || !bus.registerVirtualObject(kPath, item.get())) {
    return nullptr;
  }
  return item;
}

StatusNotifierItem::StatusNotifierItem(Handlers handlers, QString menuPath)
    : handlers_(std::move(handlers)),
      menuPath_(std::move(menuPath)),
      serviceName_(
          QString("org.kde.StatusNotifierItem-%1-1").arg(QCoreApplication::applicationPid())),
      iconThemePath_(iconThemePath()),
      toolTip_(kTitle) {}

StatusNotifierItem::~StatusNotifierItem() {
  QDBusConnection bus = QDBusConnection::sessionBus();
  bus.unregisterObject(kPath);
  bus.unregisterService(serviceName_);
}

bool StatusNotifierItem::announce() {
  QDBusMessage registration = QDBusMessage::createMethodCall(
      kWatcher, "/StatusNotifierWatcher", kWatcher, "RegisterStatusNotifierItem");
  registration << serviceName_;
  return QDBusConnection::sessionBus().call(registration).type() == QDBusMessage::ReplyMessage;
}

void StatusNotifierItem::setIcon(const QIcon& icon) {
  icon_ = icon;
  emitSignal("NewIcon");
}

void StatusNotifierItem::setToolTip(const QString& text) {
  toolTip_ = text;
  emitSignal("NewToolTip");
}

void StatusNotifierItem::emitSignal(const char* name) {
  QDBusConnection::sessionBus().send(QDBusMessage::createSignal(kPath, kItemInterface, name));
}

QVariantMap StatusNotifierItem::properties() const {
  const QVariant noPixmaps = QVariant::fromValue(QList<TrayPixmap>());
  const TrayToolTip toolTip{QString(), {}, kTitle, toolTip_};
  return {{"Category", "Hardware"},
          {"Id", "glimmerbox"},
          {"Title", kTitle},
          {"Status", "Active"},
          {"WindowId", 0},
          {"IconThemePath", iconThemePath_},
          {"IconName", kIconName},
          {"IconPixmap", QVariant::fromValue(pixmapsOf(icon_))},
          {"OverlayIconName", QString()},
          {"OverlayIconPixmap", noPixmaps},
          {"AttentionIconName", QString()},
          {"AttentionIconPixmap", noPixmaps},
          {"AttentionMovieName", QString()},
          {"ToolTip", QVariant::fromValue(toolTip)},
          {"ItemIsMenu", false},
          {"Menu", QVariant::fromValue(QDBusObjectPath(menuPath_))}};
}

QString StatusNotifierItem::introspect(const QString&) const { return kIntrospection; }

bool StatusNotifierItem::handleMessage(const QDBusMessage& message,
                                       const QDBusConnection& connection) {
  if (answerStandardInterfaces(message, connection, kItemInterface, properties(), kIntrospection)) {
    return true;
  }
  static const QStringList kMethods{"Activate", "SecondaryActivate", "ContextMenu", "Scroll"};
  const QList<QVariant> arguments = message.arguments();
  if (message.interface() != kItemInterface || !kMethods.contains(message.member()) ||
      arguments.size() != 2) {
    connection.send(message.createErrorReply(QDBusError::UnknownMethod, "No such method"));
    return true;
  }
  connection.send(message.createReply());
  // After the reply: the host waits for it, and the action may open windows.
  // A left or middle click opens the popover; the wheel steps the level like
  // the keys. The right click shows the menu, which the host draws itself.
  const int delta = arguments[0].toInt();
  if (message.member() == "Activate" || message.member() == "SecondaryActivate") {
    QTimer::singleShot(0, this, [this, click = QPoint(delta, arguments[1].toInt())] {
      handlers_.activated(click);
    });
  } else if (message.member() == "Scroll" && delta != 0 &&
             arguments[1].toString().compare("vertical", Qt::CaseInsensitive) == 0) {
    QTimer::singleShot(0, this, [this, up = wheelTurnedUp(delta, message, connection)] {
      handlers_.scrolled(up);
    });
  }
  return true;
}

}  // namespace platform

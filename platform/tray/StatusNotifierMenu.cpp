#include "platform/tray/StatusNotifierMenu.h"

#include <QDBusArgument>
#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusMetaType>
#include <QDBusVariant>
#include <QTimer>

#include "platform/tray/DBusObjectReplies.h"

namespace {

// An entry and, for the root, its children: (ia{sv}av).
struct MenuLayout {
  int id = 0;
  QVariantMap properties;
  QVariantList children;
};

struct MenuItemProperties {
  int id = 0;
  QVariantMap properties;
};

struct MenuEvent {
  int id = 0;
  QString eventId;
  QDBusVariant data;
  uint timestamp = 0;
};

QDBusArgument& operator<<(QDBusArgument& argument, const MenuLayout& layout) {
  argument.beginStructure();
  argument << layout.id << layout.properties << layout.children;
  argument.endStructure();
  return argument;
}

const QDBusArgument& operator>>(const QDBusArgument& argument, MenuLayout& layout) {
  argument.beginStructure();
  argument >> layout.id >> layout.properties >> layout.children;
  argument.endStructure();
  return argument;
}

QDBusArgument& operator<<(QDBusArgument& argument, const MenuItemProperties& item) {
  argument.beginStructure();
  argument << item.id << item.properties;
  argument.endStructure();
  return argument;
}

const QDBusArgument& operator>>(const QDBusArgument& argument, MenuItemProperties& item) {
  argument.beginStructure();
  argument >> item.id >> item.properties;
  argument.endStructure();
  return argument;
}

QDBusArgument& operator<<(QDBusArgument& argument, const MenuEvent& event) {
  argument.beginStructure();
  argument << event.id << event.eventId << event.data << event.timestamp;
  argument.endStructure();
  return argument;
}

const QDBusArgument& operator>>(const QDBusArgument& argument, MenuEvent& event) {
  argument.beginStructure();
  argument >> event.id >> event.eventId >> event.data >> event.timestamp;
  argument.endStructure();
  return argument;
}

}  // namespace

namespace platform {
namespace {

constexpr const char* kInterface = "com.canonical.dbusmenu";
constexpr unsigned kProtocolVersion = 3;
constexpr int kRootId = 0;

constexpr const char* kIntrospection = R"xml(
  <interface name="com.canonical.dbusmenu">
    <property name="Version" type="u" access="read"/>
    <property name="TextDirection" type="s" access="read"/>
    <property name="Status" type="s" access="read"/>
    <property name="IconThemePath" type="as" access="read"/>
    <method name="GetLayout"><arg type="i" name="parentId" direction="in"/><arg type="i" name="recursionDepth" direction="in"/><arg type="as" name="propertyNames" direction="in"/><arg type="u" name="revision" direction="out"/><arg type="(ia{sv}av)" name="layout" direction="out"/></method>
    <method name="GetGroupProperties"><arg type="ai" name="ids" direction="in"/><arg type="as" name="propertyNames" direction="in"/><arg type="a(ia{sv})" name="properties" direction="out"/></method>
    <method name="GetProperty"><arg type="i" name="id" direction="in"/><arg type="s" name="name" direction="in"/><arg type="v" name="value" direction="out"/></method>
    <method name="Event"><arg type="i" name="id" direction="in"/><arg type="s" name="eventId" direction="in"/><arg type="v" name="data" direction="in"/><arg type="u" name="timestamp" direction="in"/></method>
    <method name="EventGroup"><arg type="a(isvu)" name="events" direction="in"/><arg type="ai" name="idErrors" direction="out"/></method>
    <method name="AboutToShow"><arg type="i" name="id" direction="in"/><arg type="b" name="needUpdate" direction="out"/></method>
    <method name="AboutToShowGroup"><arg type="ai" name="ids" direction="in"/><arg type="ai" name="updatesNeeded" direction="out"/><arg type="ai" name="idErrors" direction="out"/></method>
    <signal name="ItemsPropertiesUpdated"><arg type="a(ia{sv})" name="updatedProps"/><arg type="a(ias)" name="removedProps"/></signal>
    <signal name="LayoutUpdated"><arg type="u" name="revision"/><arg type="i" name="parent"/></signal>
    <signal name="ItemActivationRequested"><arg type="i" name="id"/><arg type="u" name="timestamp"/></signal>
  </interface>)xml";

}  // namespace

bool StatusNotifierMenu::registerOnBus() {
  qDBusRegisterMetaType<MenuLayout>();
  qDBusRegisterMetaType<MenuItemProperties>();
  qDBusRegisterMetaType<QList<MenuItemProperties>>();
  qDBusRegisterMetaType<MenuEvent>();
  qDBusRegisterMetaType<QList<MenuEvent>>();
  return QDBusConnection::sessionBus().registerVirtualObject(kPath, this);
}

StatusNotifierMenu::~StatusNotifierMenu() { QDBusConnection::sessionBus().unregisterObject(kPath); }

void StatusNotifierMenu::setEntries(std::vector<StatusMenuEntry> entries) {
  entries_ = std::move(entries);
  checkMarksShown_.clear();
  refreshCheckMarks();
}

bool StatusNotifierMenu::hasEntry(int id) const {
  return id >= kRootId && id <= static_cast<int>(entries_.size());
}

QVariantMap StatusNotifierMenu::entryProperties(int id) const {
  if (id == kRootId) {
    return {{"children-display", "submenu"}};
  }
  const StatusMenuEntry& entry = entries_[static_cast<std::size_t>(id - 1)];
  QVariantMap properties{
      {"label", QString::fromStdString(entry.label)}, {"enabled", true}, {"visible", true}};
  if (entry.isChecked) {
    properties.insert("toggle-type", "checkmark");
    properties.insert("toggle-state", checkMarksShown_[static_cast<std::size_t>(id - 1)] ? 1 : 0);
  }
  return properties;
}

// A check mark may change behind the menu's back (the popover's checkbox
// toggles the same setting): asked before the menu opens and after a click.
bool StatusNotifierMenu::refreshCheckMarks() {
  std::vector<bool> now;
  for (const StatusMenuEntry& entry : entries_) {
    now.push_back(entry.isChecked && entry.isChecked());
  }
  if (now == checkMarksShown_) {
    return false;
  }
  checkMarksShown_ = std::move(now);
  QDBusMessage updated = QDBusMessage::createSignal(kPath, kInterface, "LayoutUpdated");
  updated << ++revision_ << kRootId;
  QDBusConnection::sessionBus().send(updated);
  return true;
}

QDBusMessage StatusNotifierMenu::layoutReply(const QDBusMessage& message) const {
  const int parent = message.arguments().value(0).toInt();
  if (!hasEntry(parent)) {
    return message.createErrorReply(QDBusError::InvalidArgs, "No such menu entry");
  }
  MenuLayout layout{parent, entryProperties(parent), {}};
  for (int id = 1; parent == kRootId && id <= static_cast<int>(entries_.size()); ++id) {
    layout.children.append(QVariant::fromValue(MenuLayout{id, entryProperties(id), {}}));
  }
  return message.createReply({revision_, QVariant::fromValue(layout)});
}

QDBusMessage StatusNotifierMenu::groupPropertiesReply(const QDBusMessage& message) const {
  QList<MenuItemProperties> items;
  for (int id : qdbus_cast<QList<int>>(message.arguments().value(0))) {
    if (hasEntry(id)) {
      items.append({id, entryProperties(id)});
    }
  }
  return message.createReply(QVariant::fromValue(items));
}

QString StatusNotifierMenu::introspect(const QString&) const { return kIntrospection; }

bool StatusNotifierMenu::handleMessage(const QDBusMessage& message,
                                       const QDBusConnection& connection) {
  const QVariantMap properties{{"Version", kProtocolVersion},
                               {"TextDirection", "ltr"},
                               {"Status", "normal"},
                               {"IconThemePath", QStringList()}};
  if (answerStandardInterfaces(message, connection, kInterface, properties, kIntrospection)) {
    return true;
  }
  const QString member = message.member();
  const QList<QVariant> arguments = message.arguments();
  QDBusMessage reply = message.createReply();
  if (message.interface() != kInterface) {
    reply = message.createErrorReply(QDBusError::UnknownMethod, "No such method");
  } else if (member == "GetLayout") {
    reply = layoutReply(message);
  } else if (member == "GetGroupProperties") {
    reply = groupPropertiesReply(message);
  } else if (member == "GetProperty" && hasEntry(arguments.value(0).toInt())) {
    const QVariant value =
        entryProperties(arguments.value(0).toInt()).value(arguments.value(1).toString());
    reply = message.createReply(QVariant::fromValue(QDBusVariant(value)));
  } else if (member == "AboutToShow") {
    reply << refreshCheckMarks();
  } else if (member == "AboutToShowGroup") {
    reply << QVariant::fromValue(QList<int>()) << QVariant::fromValue(QList<int>());
  } else if (member == "Event") {
    if (arguments.value(1).toString() == "clicked") {
      activate(arguments.value(0).toInt());
    }
  } else if (member == "EventGroup") {
    for (const MenuEvent& event : qdbus_cast<QList<MenuEvent>>(arguments.value(0))) {
      if (event.eventId == "clicked") {
        activate(event.id);
      }
    }
    reply << QVariant::fromValue(QList<int>());
  } else {
    reply = message.createErrorReply(QDBusError::UnknownMethod, "No such method");
  }
  connection.send(reply);
  return true;
}

// After the reply has gone: the action may quit or open a window.
void StatusNotifierMenu::activate(int id) {
  if (id == kRootId || !hasEntry(id)) {
    return;
  }
  QTimer::singleShot(0, this, [this, id] {
    // A round trip to the bus: the reply has left before an entry that quits
    // ends the process.
    QDBusConnection::sessionBus().call(QDBusMessage::createMethodCall(
        "org.freedesktop.DBus", "/org/freedesktop/DBus", "org.freedesktop.DBus.Peer", "Ping"));
    if (hasEntry(id)) {
      entries_[static_cast<std::size_t>(id - 1)].activate();
      refreshCheckMarks();
    }
  });
}

}  // namespace platform

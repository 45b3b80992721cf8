#include "platform/tray/DBusObjectReplies.h"

#include <QDBusVariant>

namespace platform {
namespace {

constexpr const char* kProperties = "org.freedesktop.DBus.Properties";
constexpr const char* kIntrospectable = "org.freedesktop.DBus.Introspectable";

constexpr const char* kStandardInterfaces = R"xml(
  <interface name="org.freedesktop.DBus.Properties">
    <method name="Get"><arg name="interface_name" type="s" direction="in"/><arg name="property_name" type="s" direction="in"/><arg name="value" type="v" direction="out"/></method>
    <method name="GetAll"><arg name="interface_name" type="s" direction="in"/><arg name="properties" type="a{sv}" direction="out"/></method>
    <method name="Set"><arg name="interface_name" type="s" direction="in"/><arg name="property_name" type="s" direction="in"/><arg name="value" type="v" direction="in"/></method>
    <signal name="PropertiesChanged"><arg name="interface_name" type="s"/><arg name="changed_properties" type="a{sv}"/><arg name="invalidated_properties" type="as"/></signal>
  </interface>
  <interface name="org.freedesktop.DBus.Introspectable">
    <method name="Introspect"><arg name="xml_data" type="s" direction="out"/></method>
  </interface>)xml";

QDBusMessage propertiesReply(const QDBusMessage& message, const QString& interface,
                             const QVariantMap& properties) {
  const QList<QVariant> arguments = message.arguments();
  const QString asked = arguments.isEmpty() ? QString() : arguments[0].toString();
  // An empty interface name asks for every interface's properties.
  if (!asked.isEmpty() && asked != interface) {
    return message.createErrorReply(QDBusError::UnknownInterface, "No such interface");
  }
  if (message.member() == "GetAll") {
    return message.createReply(QVariant(properties));
  }
  const QString name = arguments.size() == 2 ? arguments[1].toString() : QString();
  if (!properties.contains(name)) {
    return message.createErrorReply(QDBusError::UnknownProperty, "No such property");
  }
  if (message.member() == "Get") {
    return message.createReply(QVariant::fromValue(QDBusVariant(properties.value(name))));
  }
  return message.createErrorReply(QDBusError::PropertyReadOnly, "The property is read-only");
}

}  // namespace

QString introspectionDocument(const QString& interfaces) {
  return QStringLiteral(
             "<!DOCTYPE node PUBLIC \"-//freedesktop//DTD D-BUS Object Introspection 1.0//EN\" "
             "\"http://www.freedesktop.org/standards/dbus/1.0/introspect.dtd\">\n<node>") +
         kStandardInterfaces + interfaces + "\n</node>\n";
}

bool answerStandardInterfaces(const QDBusMessage& message, const QDBusConnection& connection,
                              const QString& interface, const QVariantMap& properties,
                              const QString& introspection) {
  if (message.interface() == kProperties) {
    connection.send(propertiesReply(message, interface, properties));
  } else if (message.interface() == kIntrospectable && message.member() == "Introspect") {
    connection.send(message.createReply(introspectionDocument(introspection)));
  } else {
    return false;
  }
  return true;
}

}  // namespace platform

#include "app/BrightnessBusObject.h"

#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusVariant>
#include <QMetaObject>
#include <cstdio>

#include "app/AppDelegate.h"
#include "app/BrightnessBusInterface.h"
#include "platform/tray/DBusObjectReplies.h"

namespace {

constexpr const char* kService = "org.glimmerbox.Glimmerbox";
constexpr const char* kPath = "/org/glimmerbox/Glimmerbox";
constexpr const char* kInterface = "org.glimmerbox.Glimmerbox1";
constexpr const char* kProperties = "org.freedesktop.DBus.Properties";
constexpr const char* kLevel = "Brightness";
constexpr const char* kNotOpened = "org.glimmerbox.Glimmerbox1.Error.NotOpened";
constexpr int kLowestLevel = 0;
constexpr int kHighestLevel = 100;

QDBusMessage invalidArguments(const QDBusMessage& message, const char* text) {
  return message.createErrorReply(QDBusError::InvalidArgs, text);
}

// Properties.Set: only the level, an int32 within 0 to 100; anything else
// changes nothing.
QDBusMessage setLevel(const QDBusMessage& message, AppDelegate& controller) {
  const QList<QVariant> arguments = message.arguments();
  if (message.signature() != "ssv") {
    return invalidArguments(message, "Set takes an interface, a property and a value");
  }
  if (arguments[0].toString() != kInterface) {
    return message.createErrorReply(QDBusError::UnknownInterface, "No such interface");
  }
  if (arguments[1].toString() != kLevel) {
    return message.createErrorReply(QDBusError::UnknownProperty, "No such property");
  }
  const QVariant value = qvariant_cast<QDBusVariant>(arguments[2]).variant();
  if (value.metaType().id() != QMetaType::Int || value.toInt() < kLowestLevel ||
      value.toInt() > kHighestLevel) {
    return invalidArguments(message, "Brightness is an int32 from 0 to 100");
  }
  controller.setBrightnessLevel(value.toInt());
  return message.createReply();
}

QDBusMessage callMethod(const QDBusMessage& message, AppDelegate& controller) {
  const QString member = message.member();
  if (!message.interface().isEmpty() && message.interface() != kInterface) {
    return message.createErrorReply(QDBusError::UnknownInterface, "No such interface");
  }
  if (member == "StepUp" || member == "StepDown") {
    if (message.signature() != "b") {
      return invalidArguments(message, "A step takes one boolean: fine");
    }
    controller.didChangeBrightness(member == "StepUp", message.arguments()[0].toBool());
    return message.createReply();
  }
  if (member == "ShowPopover") {
    return controller.showPopover()
               ? message.createReply()
               : message.createErrorReply(kNotOpened, "The popover could not open");
  }
  return message.createErrorReply(QDBusError::UnknownMethod, "No such method");
}

void answer(const QDBusMessage& message, const QDBusConnection& connection,
            AppDelegate& controller) {
  if (message.interface() == kProperties && message.member() == "Set") {
    connection.send(setLevel(message, controller));
    return;
  }
  const QVariantMap properties{{kLevel, static_cast<int>(controller.brightnessLevel())}};
  if (!platform::answerStandardInterfaces(message, connection, kInterface, properties,
                                          kBrightnessBusInterface)) {
    connection.send(callMethod(message, controller));
  }
}

}  // namespace

std::shared_ptr<BrightnessBusObject> BrightnessBusObject::publish(
    std::weak_ptr<AppDelegate> controller) {
  QDBusConnection bus = QDBusConnection::sessionBus();
  if (!bus.isConnected()) {
    return nullptr;
  }
  std::shared_ptr<BrightnessBusObject> object(new BrightnessBusObject(controller));
  // The object first, so a caller that sees the name finds it.
  if (!bus.registerVirtualObject(kPath, object.get())) {
    return nullptr;
  }
  if (!bus.registerService(kService)) {
    std::fprintf(stderr, "glimmerbox: another process owns %s on the session bus\n", kService);
    return nullptr;
  }
  if (auto strong = controller.lock()) {
    strong->addLevelObserver([weakObject = std::weak_ptr(object)](std::int64_t level) {
      if (auto self = weakObject.lock()) {
        self->announceLevel(level);
      }
    });
  }
  return object;
}

BrightnessBusObject::BrightnessBusObject(std::weak_ptr<AppDelegate> controller)
    : controller_(std::move(controller)) {}

BrightnessBusObject::~BrightnessBusObject() {
  QDBusConnection bus = QDBusConnection::sessionBus();
  bus.unregisterObject(kPath);
  bus.unregisterService(kService);
}

QString BrightnessBusObject::introspect(const QString&) const { return kBrightnessBusInterface; }

bool BrightnessBusObject::handleMessage(const QDBusMessage& message,
                                        const QDBusConnection& connection) {
  // The bus delivers on its own thread; the controller is the main thread's.
  QMetaObject::invokeMethod(
      this,
      [this, message, connection] {
        if (auto controller = controller_.lock()) {
          answer(message, connection, *controller);
        }
      },
      Qt::QueuedConnection);
  return true;
}

void BrightnessBusObject::announceLevel(std::int64_t level) {
  QDBusMessage changed = QDBusMessage::createSignal(kPath, kProperties, "PropertiesChanged");
  changed << QString(kInterface) << QVariantMap{{kLevel, static_cast<int>(level)}} << QStringList();
  QDBusConnection::sessionBus().send(changed);
}

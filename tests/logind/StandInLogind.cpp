// Serves logind's Session.SetBrightness on the bus in $DBUS_SYSTEM_BUS_ADDRESS
// as logind does: only the backlight subsystem, a device name that stays
// inside class/backlight, a value no higher than max_brightness; then writes
// <root>/class/backlight/NAME/brightness (root: the first argument, default
// /sys) and answers, or answers with an error and writes nothing.
//
//   glimmerbox-stand-in-logind [ROOT]

#include <QCoreApplication>
#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusVirtualObject>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <optional>

namespace {

namespace fs = std::filesystem;

constexpr const char* kService = "org.freedesktop.login1";
constexpr const char* kSessionPath = "/org/freedesktop/login1/session/auto";
constexpr const char* kSessionInterface = "org.freedesktop.login1.Session";

constexpr const char* kIntrospection = R"(
  <interface name="org.freedesktop.login1.Session">
    <method name="SetBrightness">
      <arg name="subsystem" type="s" direction="in"/>
      <arg name="name" type="s" direction="in"/>
      <arg name="brightness" type="u" direction="in"/>
    </method>
  </interface>
)";

bool isPlainFileName(const QString& name) {
  return !name.isEmpty() && name != "." && name != ".." && !name.contains('/');
}

std::optional<qulonglong> readMaximum(const fs::path& device) {
  std::ifstream file(device / "max_brightness");
  qulonglong maximum = 0;
  if (!(file >> maximum)) {
    return std::nullopt;
  }
  return maximum;
}

class StandInSession : public QDBusVirtualObject {
 public:
  explicit StandInSession(fs::path root) : root_(std::move(root)) {}

  QString introspect(const QString&) const override { return kIntrospection; }

  bool handleMessage(const QDBusMessage& message, const QDBusConnection& connection) override {
    if (message.interface() != kSessionInterface) {
      return false;
    }
    connection.send(message.member() == "SetBrightness" && message.signature() == "ssu"
                        ? setBrightness(message)
                        : message.createErrorReply(QDBusError::UnknownMethod,
                                                   "Only SetBrightness(s, s, u) is served"));
    return true;
  }

 private:
  QDBusMessage setBrightness(const QDBusMessage& call) const {
    const QString subsystem = call.arguments()[0].toString();
    const QString name = call.arguments()[1].toString();
    const qulonglong value = call.arguments()[2].toUInt();
    if (subsystem != "backlight") {
      return call.createErrorReply(QDBusError::InvalidArgs, "Subsystem not served: " + subsystem);
    }
    if (!isPlainFileName(name)) {
      return call.createErrorReply(QDBusError::InvalidArgs, "Not a device name: " + name);
    }
    const fs::path device = root_ / "class" / "backlight" / name.toStdString();
    const std::optional<qulonglong> maximum = readMaximum(device);
    if (!maximum || value > *maximum) {
      return call.createErrorReply(QDBusError::InvalidArgs, "Brightness out of the device's range");
    }
    std::ofstream brightness(device / "brightness");
    if (!(brightness << value << std::flush)) {
      return call.createErrorReply(QDBusError::Failed, "Writing the brightness failed");
    }
    return call.createReply();
  }

  const fs::path root_;
};

}  // namespace

int main(int argc, char** argv) {
  QCoreApplication application(argc, argv);
  StandInSession session(argc > 1 ? argv[1] : "/sys");
  QDBusConnection bus = QDBusConnection::systemBus();
  if (!bus.registerVirtualObject(kSessionPath, &session) || !bus.registerService(kService)) {
    std::fprintf(stderr, "stand-in logind: cannot serve %s: %s\n", kService,
                 qPrintable(bus.lastError().message()));
    return 1;
  }
  return application.exec();
}

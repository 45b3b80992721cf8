// Serves logind's Session.SetBrightness on the bus in $DBUS_SYSTEM_BUS_ADDRESS:
// for the backlight subsystem and a plain device name it writes
// <root>/class/backlight/NAME/brightness (root: the first argument, default
// /sys) and answers, or answers with an error.
//
//   glimmerbox-stand-in-logind [ROOT]

#include <QCoreApplication>
#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusVirtualObject>
#include <cstdio>
#include <filesystem>
#include <fstream>

namespace {

constexpr const char* kSessionPath = "/org/freedesktop/login1/session/auto";

class StandInSession : public QDBusVirtualObject {
 public:
  explicit StandInSession(std::filesystem::path root) : root_(std::move(root)) {}

  QString introspect(const QString&) const override { return {}; }

  bool handleMessage(const QDBusMessage& call, const QDBusConnection& connection) override {
    if (call.member() != "SetBrightness" || call.signature() != "ssu") {
      return false;
    }
    const QString name = call.arguments()[1].toString();
    if (call.arguments()[0].toString() != "backlight" || name.isEmpty() || name.contains('/')) {
      connection.send(call.createErrorReply(QDBusError::InvalidArgs, "Not a backlight device"));
      return true;
    }
    std::ofstream brightness(root_ / "class/backlight" / name.toStdString() / "brightness");
    const bool written =
        static_cast<bool>(brightness << call.arguments()[2].toUInt() << std::flush);
    connection.send(written ? call.createReply()
                            : call.createErrorReply(QDBusError::Failed, "Writing failed"));
    return true;
  }

 private:
  const std::filesystem::path root_;
};

}  // namespace

int main(int argc, char** argv) {
  QCoreApplication application(argc, argv);
  StandInSession session(argc > 1 ? argv[1] : "/sys");
  QDBusConnection bus = QDBusConnection::systemBus();
  if (!bus.registerVirtualObject(kSessionPath, &session) ||
      !bus.registerService("org.freedesktop.login1")) {
    std::fprintf(stderr, "stand-in logind: %s\n", qPrintable(bus.lastError().message()));
    return 1;
  }
  return application.exec();
}

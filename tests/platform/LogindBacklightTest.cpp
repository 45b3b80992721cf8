#include <gtest/gtest.h>

#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QDBusMessage>
#include <QProcess>
#include <fstream>

#include "platform/backlight/LogindBacklight.h"
#include "tests/platform/SysfsTree.h"
#include "tests/support/EventLoop.h"

namespace {

using namespace std::chrono_literals;
using testsupport::runLoopUntil;

// A private system bus with the stand-in logind serving `root`.
struct StandInSystemBus {
  explicit StandInSystemBus(const std::filesystem::path& root) {
    daemon.start("dbus-daemon", {"--config-file=" STAND_IN_BUS_CONFIG, "--print-address"});
    daemon.waitForReadyRead(5000);
    qputenv("DBUS_SYSTEM_BUS_ADDRESS", daemon.readLine().trimmed());
    logind.start(STAND_IN_LOGIND, {QString::fromStdString(root.string())});
  }
  ~StandInSystemBus() {
    logind.kill();
    daemon.kill();
    logind.waitForFinished();
    daemon.waitForFinished();
  }
  bool serving() const {
    return runLoopUntil(
        [] {
          return QDBusConnection::systemBus().interface()->isServiceRegistered(
              "org.freedesktop.login1");
        },
        5s);
  }
  QProcess daemon, logind;
};

std::string brightnessOf(const std::filesystem::path& device) {
  std::string value;
  std::ifstream(device / "brightness") >> value;
  return value;
}

TEST(LogindBacklight, SetsTheNewestClampedValueAndTellsARefusalOnce) {
  testsupport::SysfsTree tree;
  const auto panel = tree.backlight(tree.root() / "devices/panel", "panel", "raw", "1000", "500");
  const auto stuck = tree.backlight(tree.root() / "devices/stuck", "stuck", "raw", "10", "5");
  std::filesystem::remove(stuck / "brightness");
  std::filesystem::create_directory(stuck / "brightness");  // Every write fails.
  StandInSystemBus bus(tree.root());
  ASSERT_TRUE(bus.serving());

  platform::LogindBacklight backlight(tree.root());
  testing::internal::CaptureStderr();
  backlight.setBrightness("stuck", 3);
  backlight.setBrightness("stuck", 4);
  backlight.setBrightness("panel", 1500);
  EXPECT_TRUE(runLoopUntil([&] { return brightnessOf(panel) == "1000"; }, 5s));
  backlight.setBrightness("panel", 700);
  backlight.setBrightness("panel", -3);  // Replaces 700 while 1000 is on its way.
  EXPECT_TRUE(runLoopUntil([&] { return brightnessOf(panel) == "0"; }, 5s));
  testsupport::runLoopFor(300ms);
  const QString errors = QString::fromStdString(testing::internal::GetCapturedStderr());
  EXPECT_EQ(errors.count("logind did not set"), 1) << errors.toStdString();

  QDBusMessage aboveRange = QDBusMessage::createMethodCall(
      "org.freedesktop.login1", "/org/freedesktop/login1/session/auto",
      "org.freedesktop.login1.Session", "SetBrightness");
  aboveRange << QString("backlight") << QString("panel") << 1001u;
  EXPECT_EQ(QDBusConnection::systemBus().call(aboveRange).type(), QDBusMessage::ErrorMessage);
  EXPECT_EQ(brightnessOf(panel), "0");
}

}  // namespace

#include <gtest/gtest.h>

#include <QProcess>

#include "platform/backlight/LogindBacklight.h"
#include "tests/platform/SysfsTree.h"
#include "tests/support/EventLoop.h"

// Setting the backlight through logind is checked end to end in the kernel
// test of every display; here only the report of a refused call.
namespace {

TEST(LogindBacklight, TellsEachKindOfRefusalOnce) {
  // A bus on which nobody serves logind: every call is refused alike.
  QProcess daemon;
  daemon.start("dbus-daemon", {"--session", "--print-address"});
  ASSERT_TRUE(daemon.waitForReadyRead(5000));
  qputenv("DBUS_SYSTEM_BUS_ADDRESS", daemon.readLine().trimmed());
  testsupport::SysfsTree tree;
  tree.backlight(tree.root() / "devices/panel", "panel", "raw", "1000", "500");
  platform::LogindBacklight backlight(tree.root());
  testing::internal::CaptureStderr();
  backlight.setBrightness("panel", 300);
  backlight.setBrightness("panel", 400);
  testsupport::runLoopFor(std::chrono::milliseconds(300));
  const QString errors = QString::fromStdString(testing::internal::GetCapturedStderr());
  EXPECT_EQ(errors.count("logind did not set"), 1) << errors.toStdString();
  daemon.kill();
  daemon.waitForFinished();
}

}  // namespace

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <memory>
#include <string>
#include <vector>

#include "display/DisplayManager.h"
#include "platform/ddc/SysfsDdcBuses.h"
#include "platform/loop/UsleepSleeper.h"
#include "tests/support/EventLoop.h"
#include "tests/support/FakeDisplayServices.h"
#include "tests/vm/support/FakeMonitor.h"

// DisplayManager with the real display-port registry and display-service
// library, writing through the kernel to two fake monitors behind DRM
// connectors laid out as sysfs shows them. Levels, clamping and packets are
// in tests/display; here the monitors refuse whatever comes within 50 ms of
// the last message they took and have a reply ready 40 ms after its request.
namespace {

namespace fs = std::filesystem;

// Each monitor starts from the level it reports. After a slider drag faster
// than the monitors take messages, they hold the program's level, never saw a
// message in their busy window, and the screen was never dimmed in software.
TEST(DisplayManagerOverTheKernel, ReadsThenLandsADragOnBusyMonitorsWithoutSoftwareDimming) {
  const std::vector<vmtest::FakeMonitor> monitors = vmtest::FakeMonitor::all();
  ASSERT_EQ(monitors.size(), 2u);
  // A sysfs root whose DRM connectors lead to the monitors' buses, the way a
  // display driver links them.
  std::string root = (fs::temp_directory_path() / "glimmerbox-sysfs-XXXXXX").string();
  ASSERT_NE(mkdtemp(root.data()), nullptr);
  for (const vmtest::FakeMonitor& monitor : monitors) {
    const std::string bus = std::to_string(monitor.bus());
    const fs::path connector = fs::path(root) / "class" / "drm" / ("card0-HDMI-A-" + bus);
    fs::create_directories(connector);
    std::ofstream(connector / "status") << "connected\n";
    fs::create_symlink(fs::canonical("/sys/bus/i2c/devices/i2c-" + bus), connector / "ddc");
  }
  vmtest::FakeMonitor::setBusyWindow(std::chrono::milliseconds(50));
  monitors[1].setLevel(40);
  auto tables = std::make_shared<testsupport::FakeGamma>();
  auto manager = std::make_shared<DisplayManager>(DisplayManager::Services{
      GLIMMERBOX_DISPLAY_SERVICE_LIBRARY, std::make_shared<platform::SysfsDdcBuses>(root), tables,
      std::make_shared<platform::UsleepSleeper>(),
      std::make_shared<testsupport::FakeUserDefaults>(),
      std::make_shared<testsupport::FakeScreens>()});
  manager->waitForWrites();
  testsupport::drainMainQueue();
  ASSERT_EQ(manager->displays().size(), 2u);
  for (const ControlledDisplay& display : manager->displays()) {
    EXPECT_EQ(display.level, display.bus == static_cast<unsigned>(monitors[1].bus()) ? 40 : 50);
  }
  // 100 levels at 60 a second.
  for (int level = 0; level < 100; ++level) {
    manager->setBrightness(level);
    testsupport::runLoopFor(std::chrono::milliseconds(16));
  }
  manager->waitForWrites();
  testsupport::drainMainQueue();
  for (const vmtest::FakeMonitor& monitor : monitors) {
    const std::vector<std::string> writes = monitor.writes();
    EXPECT_EQ(writes.empty() ? "" : writes.back(),
              vmtest::FakeMonitor::packetOf(manager->currentBrightness));
    EXPECT_EQ(std::ranges::count_if(writes, [](auto& write) { return write.ends_with("refused"); }),
              0)
        << "messages in the busy window";
  }
  EXPECT_TRUE(tables->applied.empty());
  manager.reset();
  testsupport::drainMainQueue();
  fs::remove_all(root);
}

}  // namespace

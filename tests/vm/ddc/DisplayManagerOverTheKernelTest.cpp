#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <memory>
#include <string>
#include <vector>

#include "display/DisplayManager.h"
#include "platform/SysfsDisplayPortRegistry.h"
#include "platform/UsleepSleeper.h"
#include "tests/support/EventLoop.h"
#include "tests/support/FakeDisplayServices.h"
#include "tests/vm/support/FakeMonitor.h"

// DisplayManager with the real display-port registry and display-service
// library, writing through the kernel to two fake monitors behind DRM
// connectors laid out as sysfs shows them.
namespace {

namespace fs = std::filesystem;

// A sysfs root whose DRM connectors lead to the given monitors' buses, the
// way a display driver links them.
class ConnectorTree {
 public:
  explicit ConnectorTree(const std::vector<vmtest::FakeMonitor>& monitors) {
    std::string pattern = (fs::temp_directory_path() / "glimmerbox-sysfs-XXXXXX").string();
    root_ = mkdtemp(pattern.data());
    for (const vmtest::FakeMonitor& monitor : monitors) {
      const fs::path connector =
          root_ / "class" / "drm" / ("card0-HDMI-A-" + std::to_string(monitor.index() + 1));
      fs::create_directories(connector);
      std::ofstream(connector / "status") << "connected\n";
      fs::create_symlink(fs::canonical("/sys/bus/i2c/devices/i2c-" + std::to_string(monitor.bus())),
                         connector / "ddc");
    }
  }
  ~ConnectorTree() { fs::remove_all(root_); }
  const fs::path& root() const { return root_; }

 private:
  fs::path root_;
};

std::string onTheWire(int level) {
  const int checksum = 0x3F ^ 0x84 ^ 0x03 ^ 0x10 ^ 0x00 ^ level;
  char text[32];
  std::snprintf(text, sizeof text, "51 84 03 10 00 %02x %02x", level, checksum);
  return text;
}

class DisplayManagerOverTheKernel : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_EQ(monitors.size(), 2u);
    manager = std::make_shared<DisplayManager>(
        DisplayManager::Services{GLIMMERBOX_DISPLAY_SERVICE_LIBRARY,
                                 std::make_shared<platform::SysfsDisplayPortRegistry>(tree.root()),
                                 tables, std::make_shared<platform::UsleepSleeper>(),
                                 std::make_shared<testsupport::FakeUserDefaults>(),
                                 std::make_shared<testsupport::FakeScreens>()});
  }
  void TearDown() override { testsupport::drainMainQueue(); }

  std::vector<vmtest::FakeMonitor> monitors = vmtest::FakeMonitor::all();
  ConnectorTree tree{monitors};
  std::shared_ptr<testsupport::FakeTransferTables> tables =
      std::make_shared<testsupport::FakeTransferTables>();
  std::shared_ptr<DisplayManager> manager;
};

TEST_F(DisplayManagerOverTheKernel, SendsTheLevelToEveryMonitorWithItsChecksum) {
  const std::vector<std::pair<int, int>> requestedAndSent = {{0, 0},     {50, 50},   {76, 76},
                                                             {100, 100}, {150, 100}, {-5, 0}};
  for (auto [requested, sent] : requestedAndSent) {
    SCOPED_TRACE("level " + std::to_string(requested));
    for (const vmtest::FakeMonitor& monitor : monitors) {
      monitor.clearWrites();
    }
    manager->setBrightness(requested);
    manager->waitForWrites();
    for (const vmtest::FakeMonitor& monitor : monitors) {
      EXPECT_EQ(monitor.writes(), std::vector<std::string>{onTheWire(sent)});
      EXPECT_EQ(monitor.level(), sent);
    }
  }
  testsupport::drainMainQueue();
  EXPECT_TRUE(tables->applied.empty());
}

struct Burst {
  const char* name;
  int count;
  std::chrono::milliseconds interval;
  // The level of the burst's nth message.
  int (*level)(int n);
};

// Monitors that refuse, or take and drop, whatever comes within 50 ms of the
// last luminance command they took: after each burst they hold the program's
// level, never saw a message in their busy window, and the screen was never
// dimmed in software.
TEST_F(DisplayManagerOverTheKernel, BurstsOfLevelsLandOnBusyMonitorsWithoutSoftwareDimming) {
  using std::chrono::milliseconds;
  const std::vector<Burst> bursts = {
      {"held key, 30 a second for 3 s", 90, milliseconds(33), [](int n) { return 5 + n; }},
      {"slider drag, 100 levels at 60 a second", 100, milliseconds(16), [](int n) { return n; }},
      {"presets 25 and 75, 20 fast clicks", 20, milliseconds(10),
       [](int n) { return n % 2 == 0 ? 25 : 75; }}};
  for (const char* mode : {"nak", "ignore"}) {
    vmtest::FakeMonitor::setBusyWindow(mode);
    for (const Burst& burst : bursts) {
      SCOPED_TRACE(std::string(mode) + ": " + burst.name);
      for (const vmtest::FakeMonitor& monitor : monitors) monitor.clearWrites();
      for (int n = 0; n < burst.count; ++n) {
        manager->setBrightness(burst.level(n));
        testsupport::runLoopFor(burst.interval);
      }
      manager->waitForWrites();
      testsupport::drainMainQueue();
      for (const vmtest::FakeMonitor& monitor : monitors) {
        EXPECT_EQ(monitor.level(), manager->currentBrightness);
        const std::vector<std::string> writes = monitor.writes();
        EXPECT_EQ(std::ranges::count_if(writes,
                                        [](const std::string& write) {
                                          return write.ends_with("refused") ||
                                                 write.ends_with("ignored");
                                        }),
                  0)
            << "messages in the busy window";
      }
      EXPECT_TRUE(tables->applied.empty());
    }
  }
}

}  // namespace

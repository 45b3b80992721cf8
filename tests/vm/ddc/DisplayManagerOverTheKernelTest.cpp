#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "display/DisplayManager.h"
#include "platform/SysfsDisplayPortRegistry.h"
#include "tests/support/EventLoop.h"
#include "tests/vm/support/FakeMonitor.h"

// DisplayManager with the real display-port registry and display-service
// library, writing through the kernel to two fake monitors behind DRM
// connectors laid out as sysfs shows them.
namespace {

namespace fs = std::filesystem;

constexpr std::uint32_t kRefusalPause = 15000;

class RecordingSleeper : public platform::Sleeper {
 public:
  void sleepMicroseconds(std::uint32_t microseconds) override { pauses.push_back(microseconds); }
  std::vector<std::uint32_t> pauses;
};

class RecordingTransferTables : public platform::DisplayTransferTables {
 public:
  static constexpr std::uint32_t kDisplay = 1;
  std::int32_t getActiveDisplayList(std::uint32_t maxDisplays, std::uint32_t* displays,
                                    std::uint32_t& count) override {
    count = 1;
    if (displays != nullptr && maxDisplays > 0) {
      displays[0] = kDisplay;
    }
    return 0;
  }
  std::int32_t setDisplayTransferByTable(std::uint32_t, std::uint32_t size, const float* red,
                                         const float*, const float*) override {
    applied.push_back(red[size - 1]);
    return 0;
  }
  std::vector<float> applied;  // The top of each table applied.
};

class MemoryDefaults : public platform::UserDefaults {
 public:
  std::int64_t integerForKey(const std::string& key) override { return values[key]; }
  void setInteger(std::int64_t value, const std::string& key) override { values[key] = value; }
  std::map<std::string, std::int64_t> values;
};

class NoScreens : public ui::Screens {
 public:
  std::vector<ui::Screen> screens() const override { return {}; }
  std::optional<ui::Screen> mainScreen() const override { return std::nullopt; }
};

// A sysfs root whose DRM connectors lead to the given monitors' buses, the
// way a display driver links them.
class ConnectorTree {
 public:
  explicit ConnectorTree(const std::vector<vmtest::FakeMonitor>& monitors) {
    std::string pattern = (fs::temp_directory_path() / "glimmerbox-sysfs-XXXXXX").string();
    root_ = mkdtemp(pattern.data());
    const std::vector<std::string> connectors = {"card0-HDMI-A-1", "card0-HDMI-A-2"};
    for (std::size_t i = 0; i < monitors.size() && i < connectors.size(); ++i) {
      const fs::path connector = root_ / "class" / "drm" / connectors[i];
      fs::create_directories(connector);
      std::ofstream(connector / "status") << "connected\n";
      fs::create_symlink(
          fs::canonical("/sys/bus/i2c/devices/i2c-" + std::to_string(monitors[i].bus())),
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
                                 tables, sleeper, defaults, std::make_shared<NoScreens>()});
  }
  void TearDown() override { testsupport::drainMainQueue(); }

  std::vector<vmtest::FakeMonitor> monitors = vmtest::FakeMonitor::plugAll();
  ConnectorTree tree{monitors};
  std::shared_ptr<RecordingSleeper> sleeper = std::make_shared<RecordingSleeper>();
  std::shared_ptr<RecordingTransferTables> tables = std::make_shared<RecordingTransferTables>();
  std::shared_ptr<MemoryDefaults> defaults = std::make_shared<MemoryDefaults>();
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
  EXPECT_TRUE(sleeper->pauses.empty());
  EXPECT_TRUE(tables->applied.empty());
}

struct RefusalCase {
  const char* name;
  unsigned refusedByFirst;
  unsigned refusedBySecond;
  std::size_t pauses;
  bool dimmedInSoftware;
};

TEST_F(DisplayManagerOverTheKernel, RetriesARefusedWriteOnceAndDimsOnlyWhenNoMonitorTookIt) {
  const std::vector<RefusalCase> cases = {
      {"first write refused, retry lands", 1, 0, 1, false},
      {"one monitor refuses both, the other accepts", 2, 0, 2, false},
      {"both monitors refuse both", 2, 2, 4, true},
  };
  const int level = 50;
  const std::string accepted = onTheWire(level);
  const std::string refused = accepted + " refused";
  auto expectedWrites = [&](unsigned refusals) {
    std::vector<std::string> writes(std::min(refusals, 2u), refused);
    if (refusals < 2) {
      writes.push_back(accepted);
    }
    return writes;
  };
  for (const RefusalCase& test : cases) {
    SCOPED_TRACE(test.name);
    monitors[0].clearWrites();
    monitors[1].clearWrites();
    sleeper->pauses.clear();
    tables->applied.clear();
    monitors[0].refuseNext(test.refusedByFirst);
    monitors[1].refuseNext(test.refusedBySecond);

    manager->setBrightness(level);
    manager->waitForWrites();
    testsupport::drainMainQueue();

    EXPECT_EQ(monitors[0].writes(), expectedWrites(test.refusedByFirst));
    EXPECT_EQ(monitors[1].writes(), expectedWrites(test.refusedBySecond));
    EXPECT_EQ(sleeper->pauses, std::vector<std::uint32_t>(test.pauses, kRefusalPause));
    EXPECT_EQ(tables->applied,
              test.dimmedInSoftware ? std::vector<float>{0.5f} : std::vector<float>{});
  }
}

TEST_F(DisplayManagerOverTheKernel, SkipsABusThatWentAwayAfterSysfsListedIt) {
  monitors[1].unplug();  // Its connector still links to the vanished adapter.
  manager->setBrightness(30);
  manager->waitForWrites();
  testsupport::drainMainQueue();
  EXPECT_EQ(monitors[0].writes(), std::vector<std::string>{onTheWire(30)});
  EXPECT_TRUE(tables->applied.empty());
}

struct Burst {
  const char* name;
  std::vector<int> levels;
  std::chrono::milliseconds interval;
};

std::vector<int> levelsFrom(int first, int count) {
  std::vector<int> levels;
  for (int i = 0; i < count; ++i) levels.push_back(first + i);
  return levels;
}

std::vector<int> alternating(int a, int b, int count) {
  std::vector<int> levels;
  for (int i = 0; i < count; ++i) levels.push_back(i % 2 == 0 ? a : b);
  return levels;
}

// Monitors that refuse, or take and drop, whatever comes within 50 ms of the
// last luminance command they took: after each burst they hold the program's
// level, never saw a message in their busy window, and the screen was never
// dimmed in software.
TEST_F(DisplayManagerOverTheKernel, BurstsOfLevelsLandOnBusyMonitorsWithoutSoftwareDimming) {
  using std::chrono::milliseconds;
  const std::vector<Burst> bursts = {
      {"held key, 30 a second for 3 s", levelsFrom(5, 90), milliseconds(33)},
      {"slider drag, 100 levels at 60 a second", levelsFrom(0, 100), milliseconds(16)},
      {"presets 25 and 75, 20 fast clicks", alternating(25, 75, 20), milliseconds(10)}};
  for (const char* mode : {"nak", "ignore"}) {
    vmtest::FakeMonitor::setBusyWindow(mode);
    for (const Burst& burst : bursts) {
      SCOPED_TRACE(std::string(mode) + ": " + burst.name);
      for (const vmtest::FakeMonitor& monitor : monitors) monitor.clearWrites();
      for (int level : burst.levels) {
        manager->setBrightness(level);
        testsupport::runLoopFor(burst.interval);
      }
      manager->waitForWrites();
      testsupport::drainMainQueue();
      for (const vmtest::FakeMonitor& monitor : monitors) {
        EXPECT_EQ(monitor.level(), manager->currentBrightness);
        const std::vector<std::string> writes = monitor.writes();
        EXPECT_EQ(std::count_if(writes.begin(), writes.end(),
                                [](const std::string& write) {
                                  return write.ends_with("refused") || write.ends_with("ignored");
                                }),
                  0)
            << "messages in the busy window";
      }
      EXPECT_TRUE(tables->applied.empty());
    }
  }
}

}  // namespace

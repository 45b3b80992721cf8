#include <gtest/gtest.h>

#include <cerrno>
#include <cstdint>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "platform/SysfsDisplayPortRegistry.h"
#include "tests/display/DisplayFakes.h"
#include "tests/platform/SysfsTree.h"
#include "tests/platform/displayservice/fakebus/FakeI2cBus.h"

// DisplayManager with the real display-service library and the sysfs
// registry over a fixture tree: the fake bus stands in for /dev/i2c-N.
namespace {

using testsupport::FakeI2cBus;
using Bytes = std::vector<std::uint8_t>;

constexpr unsigned kHdmiBus = 4;
constexpr unsigned kPanelBus = 6;
constexpr unsigned kDisplayPortBus = 7;
constexpr std::uint32_t kRefusalPause = 15000;

std::string realLibraryPath() {
  return (std::filesystem::canonical("/proc/self/exe").parent_path() / ".." / "lib" / "glimmerbox" /
          "libglimmerbox-displayservice.so")
      .string();
}

class DisplayManagerOnI2cBuses : public testing::Test {
 protected:
  void SetUp() override {
    auto gpu = tree_.pciDevice("0000:00:02.0", "0x030000", "i915");
    tree_.connector(gpu, 0, "HDMI-A-1", "connected",
                    tree_.adapter(gpu, kHdmiBus, "i915 gmbus dpb"));
    tree_.adapter(tree_.connector(gpu, 0, "eDP-1", "connected"), kPanelBus, "AUX A/DDI A/PHY A");
    tree_.adapter(tree_.connector(gpu, 0, "DP-1", "connected"), kDisplayPortBus,
                  "AUX B/DDI B/PHY B");
    bus().reset();
    for (unsigned number : {kHdmiBus, kPanelBus, kDisplayPortBus}) {
      bus().addBus(number);
    }
    tables_->displays = {41, 42};
    manager_ = std::make_shared<DisplayManager>(DisplayManager::Services{
        realLibraryPath(), std::make_shared<platform::SysfsDisplayPortRegistry>(tree_.root()),
        tables_, std::make_shared<displaytest::FakeSleeper>(pauses_),
        std::make_shared<displaytest::FakeUserDefaults>(),
        std::make_shared<displaytest::FakeScreens>()});
  }
  void TearDown() override { bus().reset(); }

  static FakeI2cBus& bus() { return FakeI2cBus::instance(); }

  // Bus and bytes of every write, in order.
  static std::vector<std::pair<unsigned, Bytes>> wire() {
    std::vector<std::pair<unsigned, Bytes>> sent;
    for (const testsupport::I2cWrite& write : bus().writes()) {
      EXPECT_EQ(write.chipAddress, 0x37);
      sent.emplace_back(write.bus, write.bytes);
    }
    return sent;
  }

  testsupport::SysfsTree tree_;
  std::vector<std::string> pauses_;
  std::shared_ptr<displaytest::FakeTransferTables> tables_ =
      std::make_shared<displaytest::FakeTransferTables>();
  std::shared_ptr<DisplayManager> manager_;
};

TEST_F(DisplayManagerOnI2cBuses, SendsTheWorkedPacketToEveryExternalMonitorAndNeverThePanel) {
  struct Case {
    std::int64_t level;
    Bytes onTheWire;
  };
  const std::vector<Case> cases = {
      {0, {0x51, 0x84, 0x03, 0x10, 0x00, 0x00, 0xA8}},
      {10, {0x51, 0x84, 0x03, 0x10, 0x00, 0x0A, 0xA2}},
      {50, {0x51, 0x84, 0x03, 0x10, 0x00, 0x32, 0x9A}},
      {70, {0x51, 0x84, 0x03, 0x10, 0x00, 0x46, 0xEE}},
      {100, {0x51, 0x84, 0x03, 0x10, 0x00, 0x64, 0xCC}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.level);
    bus().clearWrites();
    manager_->setBrightness(c.level);
    // Connector order: DP-1 before HDMI-A-1.
    const std::vector<std::pair<unsigned, Bytes>> expected = {{kDisplayPortBus, c.onTheWire},
                                                              {kHdmiBus, c.onTheWire}};
    EXPECT_EQ(wire(), expected);
  }
  EXPECT_TRUE(tables_->applied.empty());
  EXPECT_TRUE(pauses_.empty());
  EXPECT_EQ(bus().openDescriptors(), 0u);
}

TEST_F(DisplayManagerOnI2cBuses, ReachesTheMonitorsThatRemainWhenABusVanishes) {
  bus().removeBus(kDisplayPortBus);  // Unplugged after sysfs was read.
  manager_->setBrightness(50);
  const std::vector<std::pair<unsigned, Bytes>> expected = {
      {kHdmiBus, {0x51, 0x84, 0x03, 0x10, 0x00, 0x32, 0x9A}}};
  EXPECT_EQ(wire(), expected);
  EXPECT_TRUE(tables_->applied.empty());
}

TEST_F(DisplayManagerOnI2cBuses, DimsInSoftwareWhenEveryMonitorRefuses) {
  bus().refuseWrites(kHdmiBus, ENXIO);
  bus().refuseWrites(kDisplayPortBus, EIO);
  manager_->setBrightness(50);
  EXPECT_EQ(pauses_, std::vector<std::string>(4, "pause " + std::to_string(kRefusalPause)));
  using Applied = displaytest::FakeTransferTables::Applied;
  const std::vector<Applied> expected = {{41, {0.0f, 0.5f}}, {42, {0.0f, 0.5f}}};
  EXPECT_EQ(tables_->applied, expected);
  EXPECT_EQ(bus().openDescriptors(), 0u);
}

}  // namespace

#include <gtest/gtest.h>

#include <filesystem>

#include "platform/SysfsDisplayPortRegistry.h"
#include "tests/display/DisplayFakes.h"
#include "tests/platform/SysfsTree.h"
#include "tests/platform/displayservice/fakebus/FakeI2cBus.h"

namespace {

// DisplayManager over the real display-service library beside the program and
// the sysfs registry over a fixture tree, the fake bus standing in for
// /dev/i2c-N: the worked packet reaches each external monitor's bus in
// connector order (DP-1 before HDMI-A-1), never the built-in panel's.
TEST(DisplayManagerOnI2cBuses, SendsThePacketToEveryExternalMonitorAndNeverThePanel) {
  constexpr unsigned kHdmiBus = 4, kPanelBus = 6, kDisplayPortBus = 7;
  testsupport::SysfsTree tree;
  auto gpu = tree.pciDevice("0000:00:02.0", "0x030000", "i915");
  tree.connector(gpu, 0, "HDMI-A-1", "connected", tree.adapter(gpu, kHdmiBus, "i915 gmbus dpb"));
  tree.adapter(tree.connector(gpu, 0, "eDP-1", "connected"), kPanelBus, "AUX A/DDI A/PHY A");
  tree.adapter(tree.connector(gpu, 0, "DP-1", "connected"), kDisplayPortBus, "AUX B/DDI B/PHY B");
  auto& bus = testsupport::FakeI2cBus::instance();
  bus.reset();
  for (unsigned number : {kHdmiBus, kPanelBus, kDisplayPortBus}) bus.addBus(number);
  displaytest::Timeline pauses;
  auto tables = std::make_shared<displaytest::FakeTransferTables>();
  tables->displays = {41};
  DisplayManager manager({(std::filesystem::canonical("/proc/self/exe").parent_path() /
                           "../lib/glimmerbox/libglimmerbox-displayservice.so")
                              .string(),
                          std::make_shared<platform::SysfsDisplayPortRegistry>(tree.root()), tables,
                          std::make_shared<displaytest::FakeDisplayPorts>(pauses),
                          std::make_shared<displaytest::FakeUserDefaults>(),
                          std::make_shared<displaytest::FakeScreens>()});

  manager.setBrightness(50);
  manager.waitForWrites();

  const std::vector<std::uint8_t> packet = {0x51, 0x84, 0x03, 0x10, 0x00, 0x32, 0x9A};
  std::vector<std::tuple<unsigned, int, std::vector<std::uint8_t>>> wire;
  for (const testsupport::I2cWrite& write : bus.writes()) {
    wire.emplace_back(write.bus, write.chipAddress, write.bytes);
  }
  EXPECT_EQ(wire, (decltype(wire){{kDisplayPortBus, 0x37, packet}, {kHdmiBus, 0x37, packet}}));
  EXPECT_TRUE(pauses.empty());
  EXPECT_TRUE(tables->applied.empty());
  EXPECT_EQ(bus.openDescriptors(), 0u);
  bus.reset();
}

}  // namespace

#include <gtest/gtest.h>

#include <optional>
#include <tuple>

#include "platform/backlight/BacklightSysfs.h"
#include "tests/platform/SysfsTree.h"

namespace {

using platform::BacklightDevice;
using testsupport::SysfsTree;
using Path = std::filesystem::path;

// Each case gets a graphics card, a second one and a firmware device.
using Build = void (*)(SysfsTree&, const Path& gpu, const Path& otherGpu, const Path& firmware);
const std::tuple<const char*, Build, std::optional<BacklightDevice>> kCases[] = {
    {"the connector's own device wins; actual_brightness first",
     [](SysfsTree& t, const Path& gpu, const Path&, const Path& firmware) {
       auto edp = t.backlight(t.connector(gpu, 0, "eDP-1", "connected"), "intel_backlight", "raw",
                              "96000", "48000");
       SysfsTree::writeFile(edp / "actual_brightness", "47000\n");
       t.backlight(firmware, "acpi_video0", "firmware", "100", "50");
     },
     BacklightDevice{"intel_backlight", "eDP-1", 96000, 47000}},
    {"otherwise firmware, then platform, then raw; garbage passed over",
     [](SysfsTree& t, const Path& gpu, const Path&, const Path& firmware) {
       t.backlight(t.connector(gpu, 0, "eDP-1", "connected"), "own", "raw", "lots", "5");
       t.backlight(gpu, "amdgpu_bl0", "raw", "255", "100");
       t.backlight(t.root() / "devices/platform/dell-laptop", "dell_backlight", "platform", "15",
                   "3");
       t.backlight(firmware, "acpi_video0", "firmware", "10", "11");
       t.backlight(firmware, "acpi_video1", "firmware", "100", "20");
       t.backlight(gpu, "odd", "lamp", "10", "5");
     },
     BacklightDevice{"acpi_video1", "eDP-1", 100, 20}},
    {"a raw device of the panel's card before another card's; actual_brightness unusable",
     [](SysfsTree& t, const Path& gpu, const Path& otherGpu, const Path&) {
       t.connector(otherGpu, 1, "DSI-1", "connected");
       t.backlight(gpu, "amdgpu_bl0", "raw", "255", "100");
       auto nv = t.backlight(otherGpu, "nv_backlight", "raw", "100", "30");
       SysfsTree::writeFile(nv / "actual_brightness", "-1\n");
     },
     BacklightDevice{"nv_backlight", "DSI-1", 100, 30}},
    {"built-in panel disconnected: nothing, even with an external monitor",
     [](SysfsTree& t, const Path& gpu, const Path&, const Path& firmware) {
       t.connector(gpu, 0, "eDP-1", "disconnected");
       t.connector(gpu, 0, "HDMI-A-1", "connected");
       t.backlight(firmware, "acpi_video0", "firmware", "100", "50");
     },
     std::nullopt},
};

TEST(BacklightSysfs, FindsTheBuiltInPanelsBacklight) {
  for (const auto& [name, build, expected] : kCases) {
    SysfsTree tree;
    build(tree, tree.pciDevice("0000:00:02.0", "0x030000"),
          tree.pciDevice("0000:01:00.0", "0x030200"), tree.root() / "devices/LNXSYSTM:00/acpi0");
    EXPECT_EQ(platform::findBuiltInPanelBacklight(tree.root()), expected) << name;
  }
}

// What logind is asked for: the value within the device's range, for a
// device named plainly.
TEST(BacklightSysfs, ClampsAValueToTheDevicesRange) {
  SysfsTree tree;
  tree.backlight(tree.root() / "devices/panel", "panel", "raw", "1000", "500");
  const std::tuple<std::string, std::int64_t, std::optional<std::int64_t>> cases[] = {
      {"panel", 1500, 1000},
      {"panel", -3, 0},
      {"panel", 700, 700},
      {"../panel", 7, std::nullopt},
      {"gone", 7, std::nullopt}};
  for (const auto& [name, value, sent] : cases) {
    EXPECT_EQ(platform::backlightValue(tree.root(), name, value), sent) << name << " " << value;
  }
}

}  // namespace

#include <gtest/gtest.h>

#include <tuple>
#include <vector>

#include "platform/ddc/SysfsDdcBuses.h"
#include "tests/platform/SysfsTree.h"

namespace {

using testsupport::SysfsTree;
using Buses = std::vector<platform::DdcBus>;
using Path = std::filesystem::path;

constexpr const char* kDisplayClass = "0x030000";

// Each case gets a graphics card with the driver named (none for ""); no
// buses at all expects a negative status. An adapter found without a
// connector has no name.
using Build = void (*)(SysfsTree&, const Path& gpu);
const std::tuple<const char*, const char*, Build, Buses> kCases[] = {
    {"linked buses only, by card then connector; HDMI by its ddc link, DP by its AUX child",
     "i915",
     [](SysfsTree& t, const Path& gpu0) {
       auto gpu1 = t.pciDevice("0000:03:00.0", kDisplayClass, "amdgpu");
       t.connector(gpu1, 1, "HDMI-A-1", "connected", t.adapter(gpu1, 10, "AMDGPU DM aux hw bus 0"));
       t.connector(gpu0, 0, "HDMI-A-2", "connected", t.adapter(gpu0, 3, "i915 gmbus dpc"));
       t.adapter(t.connector(gpu0, 0, "DP-1", "connected"), 8, "AUX B/DDI B/PHY B");
       t.connector(gpu0, 0, "HDMI-A-3", "disconnected", t.adapter(gpu0, 5, "i915 gmbus dpd"));
       t.adapter(gpu0, 2, "i915 gmbus ssc");
     },
     {{8, "DP-1"}, {3, "HDMI-A-2"}, {10, "HDMI-A-1"}}},
    {"never a built-in panel; a bus reached by several paths once",
     "i915",
     [](SysfsTree& t, const Path& gpu) {
       t.adapter(t.connector(gpu, 0, "eDP-1", "connected"), 6, "AUX A/DDI A/PHY A");
       t.connector(gpu, 0, "LVDS-1", "connected", t.adapter(gpu, 3, "i915 gmbus panel"));
       auto shared = t.adapter(gpu, 4, "i915 gmbus dpb");
       t.connector(gpu, 0, "HDMI-A-1", "connected", shared);
       t.connector(gpu, 0, "HDMI-A-2", "connected", shared);
       t.connector(gpu, 0, "DP-3", "connected");  // No link: the fallback finds bus 4 again.
     },
     {{4, "HDMI-A-1"}}},
    {"no links: the card's and the dock's adapters, never the chipset's SMBus",
     "nvidia",
     [](SysfsTree& t, const Path& gpu) {
       t.adapter(t.pciDevice("0000:00:1f.4", "0x0c0500", "i801_smbus"), 0, "SMBus I801 adapter");
       t.adapter(gpu, 3, "NVIDIA i2c adapter 3 at 1:00.0");
       t.adapter(gpu, 2, "NVIDIA i2c adapter 1 at 1:00.0");
       t.adapter(t.pciDevice("0000:05:00.0", "0x0a0000"), 13, "dock ddc");
       t.connector(gpu, 0, "DP-0", "connected");
     },
     {{2, ""}, {3, ""}, {13, ""}}},
    {"MST adapter listed; SMU and OEM adapters of the same card never",
     "amdgpu",
     [](SysfsTree& t, const Path& gpu) {
       t.adapter(gpu, 1, "AMDGPU SMU");
       t.adapter(gpu, 2, "AMDGPU DM i2c OEM bus");
       t.adapter(gpu, 8, "smu-i2c");
       t.adapter(gpu, 11, "DPMST");
       t.connector(gpu, 0, "DP-4", "connected");
     },
     {{11, ""}}},
    {"nouveau: only its nvkm display adapters",
     "nouveau",
     [](SysfsTree& t, const Path& gpu) {
       t.adapter(gpu, 4, "nvkm-0000:01:00.0-bus-0005");
       t.adapter(gpu, 5, "nouveau therm");
       t.connector(gpu, 0, "HDMI-A-1", "connected");
     },
     {{4, ""}}},
    {"connector list unreadable",
     "",
     [](SysfsTree& t, const Path&) { SysfsTree::writeFile(t.root() / "class/drm", "not a dir"); },
     {}},
};

TEST(SysfsDdcBuses, FindsTheDdcBusesOfExternalMonitorsOnly) {
  for (const auto& [name, driver, build, expected] : kCases) {
    SysfsTree tree;
    build(tree, *driver ? tree.pciDevice("0000:01:00.0", kDisplayClass, driver) : Path());
    const platform::DdcBusList list = platform::SysfsDdcBuses(tree.root()).list();
    EXPECT_EQ(list.status < 0, expected.empty()) << name;
    EXPECT_EQ(list.buses, expected) << name;
  }
}

}  // namespace

#include <gtest/gtest.h>

#include <QGuiApplication>
#include <QScreen>
#include <optional>
#include <string>
#include <tuple>
#include <vector>

#include "platform/screens/CachedScreens.h"
#include "platform/screens/DrmEdids.h"
#include "platform/screens/EdidReader.h"
#include "platform/screens/OutputMonitors.h"
#include "platform/screens/QtScreens.h"
#include "tests/platform/SysfsTree.h"

namespace {

using Bytes = std::vector<std::uint8_t>;

TEST(QtScreens, NamesAScreenAfterItsModelAndAnyBuiltInConnectorAsBuiltIn) {
  const std::tuple<std::string, std::optional<std::string>, std::string> cases[] = {
      {"DP-1", "DELL U2720Q", "DELL U2720Q"},       {"HDMI-A-1", std::nullopt, "HDMI-A-1"},
      {"eDP-1", "LQ156M1JW25", "Built-in Display"}, {"LVDS1", std::nullopt, "Built-in Display"},
      {"DP-eDP", std::nullopt, "DP-eDP"},           {"XWAYLAND0", std::nullopt, ""}};
  for (const auto& [connector, edidModel, name] : cases) {
    EXPECT_EQ(platform::QtScreens::displayName(connector, edidModel), name) << connector;
  }
}

struct CountingScreens : platform::Screens {
  std::vector<platform::Screen> screens() const override { return ++reads, std::vector{screen}; }
  std::optional<platform::Screen> mainScreen() const override { return ++reads, screen; }
  platform::Screen screen{"DELL U2720Q", {}, {0, 0, 1920, 1055}};
  mutable int reads = 0;
};

TEST(CachedScreens, AsksTheSystemAgainOnlyAfterTheScreensChange) {
  auto source = std::make_shared<CountingScreens>();
  platform::CachedScreens cached(source);
  QScreen* primary = QGuiApplication::primaryScreen();
  for (const platform::Rect frame : {platform::Rect{0, 0, 1920, 1055}, {0, 70, 1920, 1010}}) {
    source->screen.visibleFrame = frame;
    emit primary->availableGeometryChanged(primary->availableGeometry());
    for (int i = 0; i < 3; ++i) {
      EXPECT_EQ(cached.mainScreen()->visibleFrame, frame);
      EXPECT_EQ(cached.screens().size(), 1u);
    }
  }
  EXPECT_EQ(source->reads, 4);
}

// A base block with the EDID header and the given display descriptors (tag,
// up to 13 text bytes) in the descriptor slots from the first on, then
// `change` applied to it.
Bytes edid(
    const std::vector<std::pair<std::uint8_t, std::string>>& texts,
    void (*change)(Bytes&) = [](Bytes&) {}) {
  Bytes block = {0x00, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0x00};
  block.resize(128);
  for (std::size_t slot = 0; slot < texts.size(); ++slot) {
    const std::size_t start = 54 + slot * 18;
    block[start + 3] = texts[slot].first;
    std::string text = texts[slot].second;
    text.resize(13, ' ');
    std::copy(text.begin(), text.end(), block.begin() + start + 5);
  }
  change(block);
  return block;
}

TEST(EdidReader, ReadsTheModelFromTheDisplayNameDescriptor) {
  const std::pair<Bytes, std::optional<std::string>> cases[] = {
      {edid({{0xFC, "DELL U2720Q\n"}}), "DELL U2720Q"},
      {edid({{0xFF, "1234567\n"}, {0xFD, ""}, {0xFC, "  BenQ GW2480\n"}}), "BenQ GW2480"},
      // A detailed timing (non-zero pixel clock) whose byte 3 looks like the tag.
      {edid({{0xFC, "DELL U2720Q\n"}, {0xFC, "LG HDR 4K\n"}}, [](Bytes& b) { b[54] = 0x02; }),
       "LG HDR 4K"},
      {edid({{0xFC, "DELL U2720Q\n"}}, [](Bytes& b) { b.resize(100); }), std::nullopt},
      {edid({{0xFC, "DELL U2720Q\n"}}, [](Bytes& b) { b[1] = 0x00; }), std::nullopt}};
  for (const auto& [block, name] : cases) {
    EXPECT_EQ(platform::EdidReader::modelName(block), name) << name.value_or("nothing");
  }
}

// An output without an EDID (Xwayland's) is named after the monitor behind
// it: GNOME's at the output's origin (or its only one), else the kernel's
// connector of that name, else the first connected external one.
TEST(OutputMonitors, NameAnOutputWithoutEdidAfterTheMonitorBehindIt) {
  testsupport::SysfsTree sysfs;
  const auto gpu = sysfs.pciDevice("0000:00:02.0", "0x030000");
  // The laptop's card first, so the first connected one is the built-in panel.
  for (const auto& [card, name, status, model] :
       {std::tuple{0u, "eDP-1", "connected", "LQ156M1JW25"},
        {0u, "DP-1", "disconnected", "OLD TV"},
        {1u, "DP-1", "connected", "DELL U2720Q"},
        {1u, "DP-2", "connected", "BenQ GW2480"}}) {
    const Bytes block = edid({{0xFC, std::string(model) + "\n"}});
    testsupport::SysfsTree::writeFile(sysfs.connector(gpu, card, name, status) / "edid",
                                      std::string(block.begin(), block.end()));
  }
  sysfs.connector(gpu, 1, "DP-0", "connected");  // Its EDID did not come.
  const std::vector<platform::ConnectorEdid> drm = platform::DrmEdids::connected(sysfs.root());
  const std::vector<platform::MutterMonitor> gnome = {{"eDP-1", "LQ156M1JW25", 0, 0},
                                                      {"DP-1", "U2720Q", 1920, 0}};
  const std::vector<platform::MutterMonitor> none,
      virtualMonitor = {{"Meta-0", "MetaVirtualMonitor", 0, 0}};
  const std::tuple<std::string, int, std::vector<platform::MutterMonitor>,
                   std::vector<platform::ConnectorEdid>, std::string>
      cases[] = {{"XWAYLAND1", 1920, gnome, drm, "U2720Q"},
                 {"XWAYLAND0", 0, gnome, drm, "Built-in Display"},
                 {"XWAYLAND0", 640, virtualMonitor, {}, "MetaVirtualMonitor"},
                 {"XWAYLAND0", 0, none, drm, "DELL U2720Q"},
                 {"DP-2", 0, none, drm, "BenQ GW2480"},
                 {"XWAYLAND0", 0, none, {}, ""}};
  for (const auto& [output, x, mutter, connectors, name] : cases) {
    const auto found = platform::OutputMonitors(mutter, connectors).find(output, x, 0);
    EXPECT_EQ(found ? platform::QtScreens::displayName(found->connector, found->model)
                    : platform::QtScreens::displayName(output, std::nullopt),
              name)
        << output << " at " << x;
  }
}

}  // namespace

#include <gtest/gtest.h>

#include <QGuiApplication>
#include <QScreen>
#include <optional>
#include <string>
#include <vector>

#include "app/ui/CachedScreens.h"
#include "app/ui/EdidReader.h"
#include "app/ui/QtScreens.h"
#include "app/ui/ScreenCoordinates.h"

namespace {

using Bytes = std::vector<std::uint8_t>;

// y counts down from the primary screen's top in Qt, up from its lower edge
// unflipped: a rect's far edge becomes its origin.
TEST(ScreenCoordinates, FlipsAroundThePrimaryScreensHeightBothWays) {
  const ui::ScreenCoordinates coordinates(1080);  // A 1920 x 1080 primary screen.
  const QRectF qt(100, 50, 300, 200);             // A window near the top.
  const ui::Rect unflipped{100, 830, 300, 200};
  EXPECT_EQ(coordinates.unflipped(qt), unflipped);
  EXPECT_EQ(coordinates.qt(unflipped), qt);
}

TEST(QtScreens, NamesAScreenAfterItsModelAndAnyBuiltInConnectorAsBuiltIn) {
  struct Case {
    std::string connector;
    std::optional<std::string> edidModel;
    std::string name;
  };
  const Case cases[] = {{"DP-1", "DELL U2720Q", "DELL U2720Q"},
                        {"HDMI-A-1", std::nullopt, "HDMI-A-1"},
                        {"eDP-1", "LQ156M1JW25", "Built-in Display"},
                        {"LVDS1", std::nullopt, "Built-in Display"},
                        {"DP-eDP", std::nullopt, "DP-eDP"}};
  for (const Case& c : cases) {
    EXPECT_EQ(ui::QtScreens::displayName(c.connector, c.edidModel), c.name) << c.connector;
  }
}

struct CountingScreens : ui::Screens {
  std::vector<ui::Screen> screens() const override { return ++reads, std::vector{screen}; }
  std::optional<ui::Screen> mainScreen() const override { return ++reads, screen; }
  ui::Screen screen{"DELL U2720Q", {0, 0, 1920, 1080}, {0, 0, 1920, 1055}};
  mutable int reads = 0;
};

TEST(CachedScreens, AsksTheSystemAgainOnlyAfterTheScreensChange) {
  auto source = std::make_shared<CountingScreens>();
  ui::CachedScreens cached(source);
  for (int i = 0; i < 3; ++i) {
    EXPECT_EQ(cached.mainScreen()->visibleFrame, (ui::Rect{0, 0, 1920, 1055}));
    EXPECT_EQ(cached.screens().size(), 1u);
  }
  EXPECT_EQ(source->reads, 2);
  source->screen.visibleFrame = {0, 70, 1920, 1010};
  QScreen* primary = QGuiApplication::primaryScreen();
  emit primary->availableGeometryChanged(primary->availableGeometry());
  EXPECT_EQ(cached.mainScreen()->visibleFrame, (ui::Rect{0, 70, 1920, 1010}));
  EXPECT_EQ(source->reads, 3);
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
    EXPECT_EQ(ui::EdidReader::modelName(block), name) << name.value_or("nothing");
  }
}

}  // namespace

#include <gtest/gtest.h>

#include <map>
#include <set>

#include "display/DisplayManager.h"
#include "tests/display/DisplayTestPorts.h"
#include "tests/support/EventLoop.h"

namespace {

using displaytest::record;
using Levels = std::vector<std::int64_t>;

struct FakeBacklight : platform::Backlight {
  std::optional<platform::BacklightDevice> builtInPanel() override { return device; }
  void setBrightness(const std::string& name, std::int64_t value) override {
    sent.push_back(name + " " + std::to_string(value));
  }
  std::optional<platform::BacklightDevice> device =
      platform::BacklightDevice{"intel_backlight", "eDP-1", 1000, 250};
  std::vector<std::string> sent;
};

using Applied = std::vector<testsupport::FakeGamma::Applied>;
using Strings = std::vector<std::string>;

// Two monitors over DDC/CI, one without an EDID of its own, a laptop's panel
// and a monitor that takes neither DDC/CI nor a backlight.
class PerDisplayLevelsTest : public testing::Test {
 protected:
  void SetUp() override {
    record().reset();
    ports->buses = {{0, "HDMI-A-1"}, {1, "DP-1"}};
    screens->list = {{"DELL U2720Q", {}, {}, "HDMI-A-1", "DEL-41071-7", "HDMI-1"},
                     {"", {}, {}, "DP-1", "", "DP-1"},
                     {"Built-in Display", {}, {}, "eDP-1", "", "eDP-1"},
                     {"BenQ PD2700U", {}, {}, "DP-2", "BNQ-32-9", "DP-2"}};
    gamma->lit = {1, 2, 3};
    gamma->names = {{1, "HDMI-1"}, {2, "DP-1"}, {3, "DP-2"}};
  }

  // Once the monitors have answered what they were asked at start.
  std::shared_ptr<DisplayManager> makeManager() {
    auto manager = std::make_shared<DisplayManager>(DisplayManager::Services{
        RECORDING_DISPLAY_SERVICE, ports, gamma, ports, defaults, screens, ports, backlight});
    settle(*manager);
    record().writes.clear();
    return manager;
  }
  static Levels levelsOf(const DisplayManager& manager) {
    Levels levels;
    for (const ControlledDisplay& display : manager.displays()) levels.push_back(display.level);
    return levels;
  }
  // Each write as "bus level".
  static std::vector<std::string> writes() {
    std::vector<std::string> sent;
    for (const auto& write : record().writes)
      sent.push_back(std::to_string(write.service - 1) + " " + std::to_string(write.bytes[4]));
    return sent;
  }
  static void settle(DisplayManager& manager) {
    manager.waitForWrites();
    testsupport::drainMainQueue();
  }

  std::shared_ptr<displaytest::FakePorts> ports = std::make_shared<displaytest::FakePorts>();
  std::shared_ptr<testsupport::FakeGamma> gamma = std::make_shared<testsupport::FakeGamma>();
  std::shared_ptr<testsupport::FakeUserDefaults> defaults =
      std::make_shared<testsupport::FakeUserDefaults>();
  std::shared_ptr<testsupport::FakeScreens> screens = std::make_shared<testsupport::FakeScreens>();
  std::shared_ptr<FakeBacklight> backlight = std::make_shared<FakeBacklight>();
};

// At start a monitor takes its remembered level, else the shared one, the
// panel its backlight's, never the shared; nothing is set. Each change then goes to its
// own display alone, on the monitor's own scale (80 % of 50 is 40), and is
// kept under that display's key; without a display it acts on every display
// from its own level. A refused monitor is dimmed on its own output alone.
TEST_F(PerDisplayLevelsTest, KeepsWritesAndRemembersALevelPerDisplay) {
  defaults->values = {{"Glimmerbox_Brightness", 40}, {"Glimmerbox_Brightness_DP-1", 60}};
  record().replies = {{1, displaytest::luminanceReply(0, 100, 30)},
                      {2, displaytest::luminanceReply(0, 50, 40)}};
  auto manager = makeManager();
  ASSERT_EQ(manager->displays().size(), 4u);
  EXPECT_EQ(manager->displays()[1].name, "External Monitor");
  EXPECT_EQ(levelsOf(*manager), (Levels{40, 60, 25, 40}));
  EXPECT_EQ(gamma->applied, (Applied{{3, 0.4}})) << "the screen dimmed in software";
  EXPECT_TRUE(writes().empty());

  struct Step {
    std::string display;
    bool step;
    std::int64_t value;
    Levels levels;
    Strings writes, backlight;
    Applied gamma;
  };
  const Step steps[] = {
      {"DP-1", false, 80, {40, 80, 25, 40}, {"1 40"}, {}, {}},
      {"backlight-intel_backlight", false, 0, {40, 80, 0, 40}, {}, {"intel_backlight 1"}, {}},
      {"BNQ-32-9", true, -30, {40, 80, 0, 10}, {}, {}, {{3, 0.1}}},
      {"", true, 6, {46, 86, 6, 16}, {"0 46", "1 43"}, {"intel_backlight 60"}, {{3, 0.16}}},
      {"", false, 75, {75, 75, 75, 75}, {"0 75", "1 38"}, {"intel_backlight 750"}, {{3, 0.75}}},
      {"no-such-display", false, 10, {75, 75, 75, 75}, {}, {}, {}}};
  for (const Step& step : steps) {
    SCOPED_TRACE(step.display + " " + std::to_string(step.value));
    record().writes.clear();
    backlight->sent.clear();
    gamma->applied.clear();
    if (step.display.empty()) {
      step.step ? manager->stepBrightness(step.value) : manager->setBrightness(step.value);
    } else {
      step.step ? manager->stepBrightness(step.display, step.value)
                : manager->setBrightness(step.display, step.value);
    }
    settle(*manager);
    EXPECT_EQ(levelsOf(*manager), step.levels);
    EXPECT_EQ(writes(), step.writes);
    EXPECT_EQ(backlight->sent, step.backlight);
    EXPECT_EQ(gamma->applied, step.gamma);
  }
  record().writeStatuses = {{1, {-1, -1}}};
  for (const auto& [level, applied] : {std::pair{30, Applied{{1, 0.3}}}, {35, {{1, 1.0}}}}) {
    gamma->applied.clear();
    manager->setBrightness("DEL-41071-7", level);
    settle(*manager);
    EXPECT_EQ(gamma->applied, applied) << level;
  }
  EXPECT_EQ(defaults->values, (std::map<std::string, std::int64_t>{
                                  {"Glimmerbox_Brightness", 40},
                                  {"Glimmerbox_Brightness_BNQ-32-9", 75},
                                  {"Glimmerbox_Brightness_DEL-41071-7", 35},
                                  {"Glimmerbox_Brightness_DP-1", 75},
                                  {"Glimmerbox_Brightness_backlight-intel_backlight", 75}}));
}

// A monitor whose port does not open had its gamma given back at the last
// exit, like a screen dimmed in software, so at start or when plugged in it
// is dimmed again on its own output to the level remembered for it; to none
// when nothing was.
TEST_F(PerDisplayLevelsTest, DimsAMonitorWhosePortDoesNotOpenToItsRememberedLevel) {
  screens->list.pop_back();
  const std::tuple<std::set<std::uint32_t>, std::map<std::string, std::int64_t>, Applied> cases[] =
      {{{2}, {{"Glimmerbox_Brightness_DP-1", 60}}, {{2, 0.6}}},
       {{}, {{"Glimmerbox_Brightness_DP-1", 60}}, {}},
       {{1, 2}, {}, {}},
       {{1, 2}, {{"Glimmerbox_Brightness", 40}}, {{1, 0.4}, {2, 0.4}}},
       {{1, 2}, {{"Glimmerbox_Brightness", 100}}, {}}};
  for (const auto& [withoutPort, remembered, applied] : cases) {
    record().reset();
    record().servicesWithoutObject = withoutPort;
    defaults->values = remembered;
    gamma->applied.clear();
    auto manager = makeManager();
    EXPECT_EQ(gamma->applied, applied) << testing::PrintToString(remembered);
  }
  record().servicesWithoutObject = {2};
  defaults->values = {{"Glimmerbox_Brightness_DP-1", 60}};
  ports->buses = {{0, "HDMI-A-1"}};
  const platform::Screen plugged = screens->list[1];
  screens->list.erase(screens->list.begin() + 1);
  gamma->applied.clear();
  auto manager = makeManager();
  ports->buses.push_back({1, "DP-1"});
  screens->list.push_back(plugged);
  manager->detectMonitorName();
  settle(*manager);
  EXPECT_EQ(gamma->applied, (Applied{{2, 0.6}})) << "plugged in";
}

// One monitor alone shares the one level with the key it always had; a
// second monitor plugged in starts from it, and once it goes again the first
// keeps the level it had of its own.
TEST_F(PerDisplayLevelsTest, SwitchesBetweenOneSharedLevelAndOnePerDisplayAsMonitorsComeAndGo) {
  backlight->device.reset();
  screens->list.pop_back();
  ports->buses = {{0, "HDMI-A-1"}};
  defaults->values = {{"Glimmerbox_Brightness", 40}};
  auto manager = makeManager();
  EXPECT_FALSE(manager->levelsPerDisplay());
  manager->setBrightness("DEL-41071-7", 50);
  manager->waitForWrites();  // The writer lists the buses too.
  ports->buses = {{0, "HDMI-A-1"}, {1, "DP-1"}};
  manager->detectMonitorName();
  EXPECT_TRUE(manager->levelsPerDisplay());
  EXPECT_EQ(levelsOf(*manager), (Levels{50, 50}));
  manager->setBrightness("DEL-41071-7", 20);
  manager->waitForWrites();
  ports->buses = {{1, "DP-1"}};
  screens->list.erase(screens->list.begin());
  manager->detectMonitorName();
  EXPECT_FALSE(manager->levelsPerDisplay());
  EXPECT_EQ(manager->currentBrightness, 50);
  settle(*manager);
  EXPECT_EQ(defaults->values["Glimmerbox_Brightness"], 50);
}

}  // namespace

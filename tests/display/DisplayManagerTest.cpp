#include <gtest/gtest.h>

#include <deque>
#include <future>
#include <limits>
#include <map>
#include <set>

#include "tests/display/DisplayFakes.h"
#include "tests/support/EventLoop.h"

namespace displaytest {
namespace {

using Applied = std::vector<FakeTransferTables::Applied>;
using Levels = std::vector<std::int64_t>;
const std::string kKey = "Glimmerbox_Brightness";
constexpr std::int64_t kMax = std::numeric_limits<std::int64_t>::max();
constexpr std::int64_t kMin = std::numeric_limits<std::int64_t>::min();

// A DisplayManager over fakes, with the recording library by default.
class DisplayManagerTest : public testing::Test {
 protected:
  void SetUp() override { libraryRecord().reset(); }
  Timeline& timeline() { return libraryRecord().timeline; }

  std::shared_ptr<DisplayManager> makeManager(const char* library = RECORDING_DISPLAY_SERVICE) {
    return std::make_shared<DisplayManager>(
        DisplayManager::Services{library, ports, tables, ports, defaults, screens, ports});
  }
  // Lets the writer finish and the main thread take its outcome.
  static void settle(DisplayManager& manager) {
    manager.waitForWrites();
    testsupport::drainMainQueue();
  }
  // What `action` wrote to standard output.
  template <typename Action>
  static std::string logOf(Action action) {
    testing::internal::CaptureStdout();
    action();
    return testing::internal::GetCapturedStdout();
  }

  // Sends `first`, and while its first write is held on the writer's thread
  // hands over `during`; then lets everything finish. Notes when each write
  // began, in the ports' time.
  void sendHoldingTheFirstWrite(DisplayManager& manager, std::int64_t first, const Levels& during) {
    std::promise<void> reached, release;
    std::shared_future<void> released = release.get_future().share();
    bool hold = true;
    libraryRecord().answer = [&](const DisplayServiceRecord::Write&, std::int32_t status) {
      writeTimes.push_back(ports->now());
      if (std::exchange(hold, false)) {
        reached.set_value();
        released.wait();
      }
      return status;
    };
    manager.setBrightness(first);
    reached.get_future().wait();
    for (std::int64_t level : during) manager.setBrightness(level);
    release.set_value();
    settle(manager);
    libraryRecord().answer = nullptr;
  }
  Levels sentLevels() const {
    Levels sent;
    for (const auto& write : libraryRecord().writes) sent.push_back(write.bytes[4]);
    return sent;
  }

  std::shared_ptr<FakeDisplayPorts> ports = std::make_shared<FakeDisplayPorts>(timeline());
  std::vector<platform::Clock::TimePoint> writeTimes;
  std::shared_ptr<FakeTransferTables> tables = std::make_shared<FakeTransferTables>();
  std::shared_ptr<FakeUserDefaults> defaults = std::make_shared<FakeUserDefaults>();
  std::shared_ptr<FakeScreens> screens = std::make_shared<FakeScreens>();
};

TEST_F(DisplayManagerTest, RestoresOnlyALevelFromOneToHundredAndSendsNothingAtConstruction) {
  const std::vector<std::pair<std::optional<std::int64_t>, std::int64_t>> cases = {
      {std::nullopt, 70}, {0, 70}, {1, 1}, {100, 100}, {101, 70}};
  ports->services = {1};
  tables->displays = {1};
  for (const auto& [stored, level] : cases) {
    SCOPED_TRACE(stored.value_or(-999));
    defaults->values.clear();
    if (stored) defaults->values[kKey] = *stored;
    EXPECT_EQ(makeManager()->currentBrightness, level);
  }
  EXPECT_TRUE(defaults->saves.empty());
  EXPECT_TRUE(libraryRecord().writes.empty());
  EXPECT_TRUE(tables->applied.empty());
}

// One script of calls: each level is clamped and saved within the call and
// sent once when the calls come no faster than the writer; the callbacks come
// later, in call order, through whatever callback is set when they run, and
// not at all once the manager is gone.
TEST_F(DisplayManagerTest, ClampsSavesAndSendsEachCallAndCallsBackLaterInOrder) {
  struct Call {
    bool step;
    std::int64_t value, level;
  };
  const Call calls[] = {{false, -5, 0},  {false, 150, 100}, {false, kMin, 0}, {false, kMax, 100},
                        {false, 98, 98}, {true, 6, 100},    {false, 1, 1},    {true, -2, 0},
                        {false, 50, 50}, {true, kMax, 100}, {false, 50, 50},  {true, kMin, 0},
                        {false, 40, 40}, {false, 40, 40}};
  ports->services = {1};
  auto manager = makeManager();
  Levels early, late, expected;
  manager->onBrightnessChanged = [&](std::int64_t level) { early.push_back(level); };
  for (const Call& c : calls) {
    c.step ? manager->stepBrightness(c.value) : manager->setBrightness(c.value);
    EXPECT_EQ(manager->currentBrightness, c.level) << (c.step ? "step " : "set ") << c.value;
    manager->waitForWrites();
    expected.push_back(c.level);
  }
  manager->onBrightnessChanged = [&](std::int64_t level) { late.push_back(level); };
  EXPECT_EQ(defaults->saves, expected);
  EXPECT_EQ(sentLevels(), expected) << "level byte of each packet";
  testsupport::drainMainQueue();
  EXPECT_TRUE(early.empty());
  EXPECT_EQ(late, expected);

  manager->setBrightness(30);
  manager.reset();
  testsupport::drainMainQueue();
  EXPECT_EQ(late, expected) << "called back for a manager that is gone";
}

// Timeline: "create N" / "no object N" for the create call, "write N -> S"
// for a write and its status, releases of objects, services and the
// iterator, pauses in µs.
TEST_F(DisplayManagerTest, WritesEveryPortRetryingOnceAndReleasingEverything) {
  struct Case {
    std::vector<std::uint32_t> services;
    std::set<std::uint32_t> withoutObject;
    std::map<std::uint32_t, std::deque<std::int32_t>> statuses;
    std::string timeline;
    bool accepted;
  };
  // clang-format off
  const Case cases[] = {
      {{1}, {}, {{1, {-1, 0}}}, "create 1, write 1 -> -1, pause 15000, write 1 -> 0, "
       "release object 1, release service 1, release iterator", true},
      {{1, 2}, {}, {{1, {-1, -1}}}, "create 1, write 1 -> -1, pause 15000, write 1 -> -1, "
       "pause 15000, release object 1, release service 1, create 2, write 2 -> 0, "
       "release object 2, release service 2, release iterator", true},
      {{1, 2}, {}, {}, "create 1, write 1 -> 0, release object 1, release service 1, create 2, "
       "write 2 -> 0, release object 2, release service 2, release iterator", true},
      {{1, 2}, {1, 2}, {}, "no object 1, release service 1, no object 2, release service 2, "
       "release iterator", false},
      {{}, {}, {}, "release iterator", false}};
  // clang-format on
  tables->displays = {1};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.timeline);
    libraryRecord().reset();
    tables->applied.clear();
    ports->services = c.services;
    libraryRecord().servicesWithoutObject = c.withoutObject;
    libraryRecord().writeStatuses = c.statuses;
    auto manager = makeManager();
    EXPECT_EQ(logOf([&] {
                manager->setBrightness(70);
                settle(*manager);
              }),
              "");
    std::string joined;
    for (const std::string& entry : timeline()) joined += (joined.empty() ? "" : ", ") + entry;
    EXPECT_EQ(joined, c.timeline);
    EXPECT_EQ(tables->applied.empty(), c.accepted) << "software dimming ran or not";
  }
}

TEST_F(DisplayManagerTest, FailedPortEnumerationLogsSignedStatusAndDims) {
  ports->services = {1};
  ports->matchingStatus = static_cast<std::int32_t>(0xE00002C7);
  tables->displays = {4};
  auto manager = makeManager();
  EXPECT_EQ(logOf([&] {
              manager->setBrightness(70);
              settle(*manager);
            }),
            "[DisplayManager] IOServiceGetMatchingServices failed: -536870201\n");
  EXPECT_TRUE(timeline().empty());
  EXPECT_EQ(tables->applied, (Applied{{4, {0.0f, 0.7f}}}));
}

TEST_F(DisplayManagerTest, LoadsTheLibraryLoggingOnceAndWithoutFunctionsDimsEveryChange) {
  const char* const loaded = "[DisplayManager] Successfully loaded IOAVService symbols\n";
  const char* const noSymbols =
      "[DisplayManager] Failed to find IOAVService symbols in CoreDisplay\n";
  const std::vector<std::pair<const char*, const char*>> cases = {
      {RECORDING_DISPLAY_SERVICE, loaded},
      {CREATE_ONLY_DISPLAY_SERVICE, noSymbols},
      {MISSING_DISPLAY_SERVICE, "[DisplayManager] Failed to load CoreDisplay framework\n"}};
  ports->services = {1};
  tables->displays = {2, 5};
  const std::vector<float> dimmest = {0.0f, 0.1f};
  for (const auto& [library, loadLine] : cases) {
    SCOPED_TRACE(library);
    libraryRecord().reset();
    tables->applied.clear();
    std::shared_ptr<DisplayManager> manager;
    EXPECT_EQ(logOf([&] { manager = makeManager(library); }), loadLine);
    const std::string changeLog = logOf([&] {
      manager->setBrightness(0);
      settle(*manager);
      manager->setBrightness(0);
      settle(*manager);
    });
    if (loadLine == loaded) {
      EXPECT_EQ(changeLog, "");
      EXPECT_TRUE(tables->applied.empty());
      continue;
    }
    EXPECT_EQ(changeLog,
              "[DisplayManager] IOAVService functions not available\n"
              "[DisplayManager] IOAVService functions not available\n");
    EXPECT_TRUE(timeline().empty()) << "ports enumerated without functions";
    EXPECT_EQ(tables->applied, (Applied{{2, dimmest}, {5, dimmest}, {2, dimmest}, {5, dimmest}}));
  }
}

TEST_F(DisplayManagerTest, DimsEveryListedDisplayNeverBelowTenPercent) {
  const std::vector<std::pair<std::int64_t, float>> cases = {{0, 0.1f}, {11, 0.11f}, {100, 1.0f}};
  tables->displays = {3, 7};
  auto manager = makeManager();
  for (const auto& [level, top] : cases) {
    tables->applied.clear();
    manager->setBrightness(level);
    settle(*manager);
    EXPECT_EQ(tables->applied, (Applied{{3, {0.0f, top}}, {7, {0.0f, top}}})) << level;
  }
  tables->applied.clear();
  tables->displaysOnSecondCall = std::vector<std::uint32_t>{3};
  manager->setBrightness(40);
  settle(*manager);
  EXPECT_EQ(tables->applied, (Applied{{3, {0.0f, 0.4f}}})) << "list shrank between queries";
}

TEST_F(DisplayManagerTest, PortAcceptingAgainLiftsTheSoftwareDimmingOnce) {
  ports->services = {1};
  tables->displays = {3, 7};
  libraryRecord().writeStatuses = {{1, {-1, -1}}};
  auto manager = makeManager();
  for (std::int64_t level : {40, 60, 80}) {
    manager->setBrightness(level);
    settle(*manager);
  }
  EXPECT_EQ(tables->applied,
            (Applied{{3, {0.0f, 0.4f}}, {7, {0.0f, 0.4f}}, {3, {0.0f, 1.0f}}, {7, {0.0f, 1.0f}}}));
}

using std::chrono::milliseconds;

// Levels handed over while a write is on the bus wait for the port's gap;
// of them only the newest goes out, a repeat of the level being sent too.
TEST_F(DisplayManagerTest, SendsOnlyTheNewestOfTheLevelsThatCameDuringAWrite) {
  const std::vector<std::pair<Levels, Levels>> cases = {
      {{20}, {10, 20}}, {{20, 30, 40}, {10, 40}}, {{10}, {10, 10}}};
  ports->services = {1};
  for (const auto& [during, sent] : cases) {
    SCOPED_TRACE(testing::PrintToString(during));
    libraryRecord().reset();
    writeTimes.clear();
    auto manager = makeManager();
    sendHoldingTheFirstWrite(*manager, 10, during);
    EXPECT_EQ(sentLevels(), sent);
    for (std::size_t i = 1; i < writeTimes.size(); ++i) {
      EXPECT_GE(writeTimes[i] - writeTimes[i - 1], PortPacing::kMessageGap);
    }
  }
}

// The next message to a port waits out the gap since the last one, a
// refused write's retry included, and no longer.
TEST_F(DisplayManagerTest, KeepsEachPortsMessagesTheGapApartAndNoFurther) {
  struct Case {
    milliseconds idle;
    std::deque<std::int32_t> statuses;
    milliseconds gap;
  };
  const Case cases[] = {{milliseconds(0), {}, milliseconds(50)},
                        {milliseconds(80), {}, milliseconds(80)},
                        {milliseconds(0), {-1}, milliseconds(65)}};
  ports->services = {1};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.idle.count());
    libraryRecord().reset();
    libraryRecord().writeStatuses = {{1, c.statuses}};
    writeTimes.clear();
    auto manager = makeManager();
    sendHoldingTheFirstWrite(*manager, 10, {});
    ports->advance(c.idle);
    sendHoldingTheFirstWrite(*manager, 20, {});
    ASSERT_EQ(writeTimes.size(), c.statuses.size() + 2);
    EXPECT_EQ(writeTimes.back() - writeTimes.front(), c.gap);
  }
}

// Only a refusal of the newest level, retry included, dims; a level refused
// while a newer one waited never does.
TEST_F(DisplayManagerTest, DimsOnlyWhenTheNewestLevelIsRefused) {
  const std::vector<std::pair<std::deque<std::int32_t>, Applied>> cases = {
      {{-1, -1}, {}}, {{0, -1, -1}, {{3, {0.0f, 0.2f}}}}, {{-1, -1, -1, -1}, {{3, {0.0f, 0.2f}}}}};
  ports->services = {1};
  tables->displays = {3};
  for (const auto& [statuses, applied] : cases) {
    SCOPED_TRACE(testing::PrintToString(statuses));
    libraryRecord().reset();
    libraryRecord().writeStatuses = {{1, statuses}};
    tables->applied.clear();
    auto manager = makeManager();
    sendHoldingTheFirstWrite(*manager, 10, {20});
    EXPECT_EQ(tables->applied, applied);
  }
}

TEST_F(DisplayManagerTest, NamesTheFirstExternalScreenElseTheMainAndKeepsTheNameWhenNoneIsLeft) {
  struct Case {
    std::vector<std::string> screens;
    std::optional<std::string> main;
    std::string name;
  };
  const Case cases[] = {{{"Built-in Display", "DELL U2720Q"}, "Built-in Display", "DELL U2720Q"},
                        {{"LG HDR 4K", "DELL U2720Q"}, "LG HDR 4K", "LG HDR 4K"},
                        {{"Wide Color LCD Panel", "Acer"}, std::nullopt, "Acer"},
                        {{"Built-in Display"}, std::nullopt, "External Monitor"}};
  for (const Case& c : cases) {
    screens->list.clear();
    for (const std::string& name : c.screens) screens->list.push_back({name, {}, {}});
    screens->main = c.main ? std::optional<ui::Screen>({*c.main, {}, {}}) : std::nullopt;
    EXPECT_EQ(makeManager()->monitorName, c.name) << testing::PrintToString(c.screens);
  }
  screens->main = std::nullopt;
  auto manager = makeManager();
  screens->list = {{"Built-in Display", {}, {}}, {"BenQ GW2480", {}, {}}};
  manager->detectMonitorName();
  EXPECT_EQ(manager->monitorName, "BenQ GW2480") << "detected again";
  screens->list.clear();
  manager->detectMonitorName();
  EXPECT_EQ(manager->monitorName, "BenQ GW2480") << "kept when no screen is left";
}

}  // namespace
}  // namespace displaytest

#include "display/DisplayManager.h"

#include <dlfcn.h>
#include <gtest/gtest.h>

#include <atomic>
#include <deque>
#include <future>
#include <limits>
#include <map>
#include <set>

#include "tests/display/DisplayTestPorts.h"
#include "tests/support/EventLoop.h"
#include "tests/support/FakeDisplayServices.h"

namespace {

using displaytest::FakePorts;
using displaytest::record;
using testsupport::FakeGamma;
using Applied = std::vector<FakeGamma::Applied>;
using Buses = std::vector<platform::DdcBus>;
using Levels = std::vector<std::int64_t>;
using std::chrono::milliseconds;
constexpr std::int64_t kMax = std::numeric_limits<std::int64_t>::max();

class DisplayManagerTest : public testing::Test {
 protected:
  void SetUp() override { record().reset(); }

  // Once each monitor has been asked its luminance at start, with the
  // record of that asking cleared.
  std::shared_ptr<DisplayManager> makeManager(const char* library = RECORDING_DISPLAY_SERVICE) {
    auto manager = std::make_shared<DisplayManager>(
        DisplayManager::Services{library, ports, gamma, ports, defaults, screens, ports});
    manager->waitForWrites();
    testsupport::drainMainQueue();
    record().writes.clear();
    record().timeline.clear();
    return manager;
  }
  // Sets each level in turn, letting the writer finish and the main thread
  // take its outcome; returns what was written to standard output.
  static std::string setAndSettle(DisplayManager& manager, const Levels& levels) {
    testing::internal::CaptureStdout();
    for (std::int64_t level : levels) {
      manager.setBrightness(level);
      manager.waitForWrites();
      testsupport::drainMainQueue();
    }
    return testing::internal::GetCapturedStdout();
  }

  static Levels sentLevels() {
    Levels sent;
    for (const auto& write : record().writes) sent.push_back(write.bytes[4]);
    return sent;
  }

  std::shared_ptr<FakePorts> ports = std::make_shared<FakePorts>();
  std::shared_ptr<FakeGamma> gamma = std::make_shared<FakeGamma>();
  std::shared_ptr<testsupport::FakeUserDefaults> defaults =
      std::make_shared<testsupport::FakeUserDefaults>();
  std::shared_ptr<testsupport::FakeScreens> screens = std::make_shared<testsupport::FakeScreens>();
};

// A stored 0 is also what a key never saved reads as. Where no bus opens
// (bus 7, service 8, cannot) the restored level dims the screen at once, as
// the last exit gave the gamma back; a monitor on a bus keeps its own level
// and is sent nothing.
TEST_F(DisplayManagerTest, RestoresALevelFromOneToHundredDimmingAtOnceWhereNoPortOpens) {
  const Applied dimmed = {{4, 0.3}};
  const Buses seven = {{7, "DP-1"}}, sevenAndSix = {{7, "DP-1"}, {6, "DP-2"}};
  const std::tuple<std::int64_t, std::int64_t, Buses, Applied> cases[] = {{0, 70, {}, {}},
                                                                          {30, 30, {}, dimmed},
                                                                          {30, 30, seven, dimmed},
                                                                          {30, 30, sevenAndSix, {}},
                                                                          {101, 70, {}, {}}};
  gamma->lit = {4};
  record().servicesWithoutObject = {8};
  for (const auto& [stored, level, listed, applied] : cases) {
    gamma->applied.clear();
    ports->buses = listed;
    defaults->values["Glimmerbox_Brightness"] = stored;
    EXPECT_EQ(makeManager()->currentBrightness, level) << stored;
    EXPECT_EQ(gamma->applied, applied) << stored;
  }
  EXPECT_TRUE(record().writes.empty());
}

// One script of calls: each level is clamped and saved within the call and
// sent once when the calls come no faster than the writer; the callbacks come
// later, in call order, through whatever callback is set when they run, and
// not at all once the manager is gone.
TEST_F(DisplayManagerTest, ClampsSavesAndSendsEachCallAndCallsBackLaterInOrder) {
  const std::tuple<bool, std::int64_t, std::int64_t> calls[] = {
      {false, -5, 0}, {false, 150, 100}, {false, 98, 98},   {true, 6, 100},  {false, 1, 1},
      {true, -2, 0},  {false, 50, 50},   {true, kMax, 100}, {false, 40, 40}, {false, 40, 40}};
  ports->buses = {{0, "DP-1"}};
  auto manager = makeManager();
  Levels early, late, expected;
  manager->onBrightnessChanged = [&](std::int64_t level) { early.push_back(level); };
  for (const auto& [step, value, level] : calls) {
    step ? manager->stepBrightness(value) : manager->setBrightness(value);
    EXPECT_EQ(manager->currentBrightness, level) << (step ? "step " : "set ") << value;
    manager->waitForWrites();
    expected.push_back(level);
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

// Timeline: "create N" / "no object N" for the create call of service N
// (bus N - 1), "write N -> S" for a write and its status, releases of
// objects, pauses in µs. Only a list that cannot be read logs.
TEST_F(DisplayManagerTest, WritesEveryPortRetryingOnceAndReleasingEverything) {
  // clang-format off
  const std::tuple<std::set<std::uint32_t>, std::map<std::uint32_t, std::deque<std::int32_t>>,
                   std::string, bool, std::int32_t> cases[] = {
      {{}, {}, "", false, -13},
      {{1, 2}, {}, "no object 1, no object 2", false, 0},
      {{}, {{1, {-1, 0}}, {2, {-1, -1}}}, "create 1, write 1 -> -1, pause 15000, "
       "write 1 -> 0, release object 1, create 2, write 2 -> -1, pause 15000, "
       "write 2 -> -1, pause 15000, release object 2", true, 0}};
  // clang-format on
  gamma->lit = {4};
  ports->buses = {{0, "HDMI-A-1"}, {1, "DP-1"}};
  for (const auto& [withoutObject, statuses, timeline, accepted, listStatus] : cases) {
    SCOPED_TRACE(timeline);
    record().reset();
    gamma->applied.clear();
    ports->status = listStatus;
    record().servicesWithoutObject = withoutObject;
    defaults->values.clear();  // A level restored at start would dim or list the ports.
    auto manager = makeManager();
    record().writeStatuses = statuses;
    EXPECT_EQ(setAndSettle(*manager, {70}),
              listStatus == 0 ? "" : "[DisplayManager] IOServiceGetMatchingServices failed: -13\n");
    std::string joined;
    for (const std::string& entry : record().timeline)
      joined += (joined.empty() ? "" : ", ") + entry;
    EXPECT_EQ(joined, timeline);
    EXPECT_EQ(gamma->applied, (accepted ? Applied{} : Applied{{4, 0.7}}));
  }
  // The last case's first write: the display's address and the host's, then
  // the packet with its checksum.
  const DisplayServiceRecord::Write& write = record().writes.at(0);
  EXPECT_EQ(std::tie(write.chipAddress, write.dataAddress), std::tuple(0x37u, 0x51u));
  EXPECT_EQ(write.bytes, (std::vector<std::uint8_t>{0x84, 0x03, 0x10, 0x00, 70, 0xEE}));
}

// Without both functions every change logs and dims, and no port is asked.
TEST_F(DisplayManagerTest, LoadsTheLibraryLoggingOnceAndWithoutFunctionsDimsEveryChange) {
  const std::string missing = "[DisplayManager] IOAVService functions not available\n";
  const Applied dimmedTwice = {{2, 0.1}, {5, 0.1}, {2, 0.1}, {5, 0.1}};
  const std::pair<const char*, std::string> cases[] = {
      {RECORDING_DISPLAY_SERVICE, "Successfully loaded IOAVService symbols"},
      {CREATE_ONLY_DISPLAY_SERVICE, "Failed to find IOAVService symbols in CoreDisplay"},
      {MISSING_DISPLAY_SERVICE, "Failed to load CoreDisplay framework"}};
  ports->buses = {{0, "DP-1"}};
  gamma->lit = {2, 5};
  for (const auto& [library, loadLine] : cases) {
    SCOPED_TRACE(library);
    const bool loaded = library == cases[0].first;
    gamma->applied.clear();
    testing::internal::CaptureStdout();
    auto manager = makeManager(library);
    EXPECT_EQ(testing::internal::GetCapturedStdout(), "[DisplayManager] " + loadLine + "\n");
    EXPECT_EQ(setAndSettle(*manager, {0, 0}), loaded ? "" : missing + missing);
    EXPECT_EQ(gamma->applied, loaded ? Applied{} : dimmedTwice);
  }
}

// While no port takes the level every lit output is dimmed, never below ten
// percent; the first level a port takes again lifts the dimming, once, on
// the outputs lit then.
TEST_F(DisplayManagerTest, DimsEveryLitOutputNeverBelowTenPercentUntilAPortAcceptsAgain) {
  const std::pair<std::int64_t, double> cases[] = {{0, 0.1}, {11, 0.11}, {100, 1.0}, {40, 0.4}};
  gamma->lit = {3, 7};
  auto manager = makeManager();
  for (const auto& [level, fraction] : cases) {
    gamma->applied.clear();
    setAndSettle(*manager, {level});
    EXPECT_EQ(gamma->applied, (Applied{{3, fraction}, {7, fraction}})) << level;
  }
  gamma->applied.clear();
  gamma->lit = {3};
  ports->buses = {{0, "DP-1"}};
  setAndSettle(*manager, {60, 80});
  EXPECT_EQ(gamma->applied, (Applied{{3, 1.0}}));
}

// Of the levels handed over while a write is on the bus only the newest goes
// out, a repeat of the level being sent too. Only a refusal of the newest
// level, retry included, dims; a level refused while a newer one waited
// never does. A write to the port starts the gap after the last one ended,
// a refused write's retry included, and no later.
TEST_F(DisplayManagerTest, SendsOnlyTheNewestLevelTheGapApartAndDimsOnlyWhenItIsRefused) {
  const std::tuple<Levels, std::deque<std::int32_t>, Levels, Levels, Applied> cases[] = {
      {{20, 30, 40}, {}, {10, 40}, {0, 50}, {}},
      {{10}, {}, {10, 10}, {0, 50}, {}},
      {{20}, {-1, -1, -1, -1}, {10, 10, 20, 20}, {0, 15, 65, 80}, {{3, 0.2}}}};
  ports->buses = {{0, "DP-1"}};
  gamma->lit = {3};
  for (const auto& [during, statuses, sent, startsInMilliseconds, applied] : cases) {
    SCOPED_TRACE(testing::PrintToString(during) + testing::PrintToString(statuses));
    record().reset();
    auto manager = makeManager();
    record().writeStatuses = {{1, statuses}};
    gamma->applied.clear();
    // Level 10's first write waits on the writer's thread while `during` is
    // handed over; each write notes when it began, in the ports' time.
    std::promise<void> reached, release;
    std::shared_future<void> released = release.get_future().share();
    std::vector<platform::Clock::TimePoint> times;
    record().answer = [&](const DisplayServiceRecord::Write&, std::int32_t status) {
      times.push_back(ports->now());
      if (times.size() == 1) {
        reached.set_value();
        released.wait();
      }
      return status;
    };
    manager->setBrightness(10);
    reached.get_future().wait();
    for (std::int64_t level : during) manager->setBrightness(level);
    release.set_value();
    manager->waitForWrites();
    testsupport::drainMainQueue();
    EXPECT_EQ(sentLevels(), sent);
    Levels starts;
    for (auto time : times) starts.push_back((time - times.front()) / milliseconds(1));
    EXPECT_EQ(starts, startsInMilliseconds);
    EXPECT_EQ(gamma->applied, applied);
  }
}

TEST_F(DisplayManagerTest, NamesTheFirstExternalScreenElseTheMainAndKeepsTheNameWhenNoneIsLeft) {
  const std::string builtIn = "Built-in Display";
  const std::tuple<std::vector<std::string>, std::optional<std::string>, std::string> cases[] = {
      {{builtIn, "LG HDR 4K", "DELL U2720Q"}, builtIn, "LG HDR 4K"},
      {{"Wide Color LCD Panel", "Acer"}, std::nullopt, "Acer"},
      {{builtIn}, std::nullopt, "Acer"},
      {{}, builtIn, builtIn}};
  auto manager = makeManager();
  for (const auto& [names, main, name] : cases) {
    screens->list.clear();
    for (const std::string& each : names) screens->list.push_back({each, {}, {}});
    screens->main = main ? std::optional<platform::Screen>({*main, {}, {}}) : std::nullopt;
    manager->detectMonitorName();
    EXPECT_EQ(manager->monitorName, name) << testing::PrintToString(names);
  }
}

}  // namespace

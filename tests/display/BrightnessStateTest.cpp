#include <gtest/gtest.h>

#include <functional>
#include <limits>
#include <optional>
#include <vector>

#include "tests/display/DisplayFakes.h"
#include "tests/support/EventLoop.h"

namespace displaytest {
namespace {

const std::string kKey = "Glimmerbox_Brightness";
constexpr std::size_t kLevelByte = 4;

struct RestoreCase {
  const char* what;
  std::optional<std::int64_t> stored;
  std::int64_t level;
};

void PrintTo(const RestoreCase& testCase, std::ostream* out) { *out << testCase.what; }

class RestoresRememberedLevel : public DisplayManagerTest,
                                public testing::WithParamInterface<RestoreCase> {};

TEST_P(RestoresRememberedLevel, OnlyWithinOneToHundredAndSendsNothing) {
  if (GetParam().stored) {
    defaults->values[kKey] = *GetParam().stored;
  }
  ports->services = {1};
  tables->displays = {1};
  auto manager = makeManager();
  EXPECT_EQ(manager->currentBrightness, GetParam().level);
  EXPECT_TRUE(defaults->saves.empty());
  EXPECT_TRUE(libraryRecord().writes.empty());
  EXPECT_TRUE(tables->applied.empty());
}

INSTANTIATE_TEST_SUITE_P(Stored, RestoresRememberedLevel,
                         testing::Values(RestoreCase{"Nothing", std::nullopt, 70},
                                         RestoreCase{"Zero", 0, 70}, RestoreCase{"One", 1, 1},
                                         RestoreCase{"Fifty", 50, 50},
                                         RestoreCase{"Hundred", 100, 100},
                                         RestoreCase{"HundredAndOne", 101, 70},
                                         RestoreCase{"Negative", -5, 70}),
                         [](const auto& info) { return info.param.what; });

struct ChangeCase {
  const char* what;
  std::int64_t start;
  std::function<void(DisplayManager&)> change;
  std::int64_t level;
};

void PrintTo(const ChangeCase& testCase, std::ostream* out) { *out << testCase.what; }

std::function<void(DisplayManager&)> set(std::int64_t value) {
  return [value](DisplayManager& manager) { manager.setBrightness(value); };
}

std::function<void(DisplayManager&)> step(std::int64_t delta) {
  return [delta](DisplayManager& manager) { manager.stepBrightness(delta); };
}

class ClampsEveryChange : public DisplayManagerTest,
                          public testing::WithParamInterface<ChangeCase> {};

TEST_P(ClampsEveryChange, StoresSavesAndSendsTheClampedLevelThenCallsBack) {
  defaults->values[kKey] = GetParam().start;
  ports->services = {1};
  auto manager = makeManager();
  std::vector<std::int64_t> callbacks;
  manager->onBrightnessChanged = [&](std::int64_t level) { callbacks.push_back(level); };

  GetParam().change(*manager);

  EXPECT_EQ(manager->currentBrightness, GetParam().level);
  EXPECT_EQ(defaults->saves, std::vector<std::int64_t>{GetParam().level});
  ASSERT_EQ(libraryRecord().writes.size(), 1u);
  EXPECT_EQ(libraryRecord().writes[0].bytes[kLevelByte], GetParam().level);
  EXPECT_TRUE(callbacks.empty());
  testsupport::drainMainQueue();
  EXPECT_EQ(callbacks, std::vector<std::int64_t>{GetParam().level});
}

constexpr std::int64_t kMax = std::numeric_limits<std::int64_t>::max();
constexpr std::int64_t kMin = std::numeric_limits<std::int64_t>::min();

INSTANTIATE_TEST_SUITE_P(Changes, ClampsEveryChange,
                         testing::Values(ChangeCase{"SetBelowZero", 70, set(-5), 0},
                                         ChangeCase{"SetAboveHundred", 70, set(150), 100},
                                         ChangeCase{"SetLowestInteger", 70, set(kMin), 0},
                                         ChangeCase{"SetHighestInteger", 70, set(kMax), 100},
                                         ChangeCase{"StepUpPastHundred", 98, step(6), 100},
                                         ChangeCase{"StepDownPastZero", 3, step(-6), 0},
                                         ChangeCase{"FineStepDownPastZero", 1, step(-2), 0},
                                         ChangeCase{"StepByHighestInteger", 50, step(kMax), 100},
                                         ChangeCase{"StepByLowestInteger", 50, step(kMin), 0}),
                         [](const auto& info) { return info.param.what; });

TEST_F(DisplayManagerTest, EveryCallSavesSendsAndCallsBackAfterReturningInCallOrder) {
  ports->services = {1};
  auto manager = makeManager();
  std::vector<std::int64_t> callbacks;
  manager->onBrightnessChanged = [&](std::int64_t level) { callbacks.push_back(level); };

  for (std::int64_t level : {40, 40, 10, 20}) {
    manager->setBrightness(level);
    EXPECT_TRUE(callbacks.empty()) << "called back inside setBrightness";
  }

  EXPECT_EQ(defaults->saves, (std::vector<std::int64_t>{40, 40, 10, 20}));
  EXPECT_EQ(libraryRecord().writes.size(), 4u);
  testsupport::drainMainQueue();
  EXPECT_EQ(callbacks, (std::vector<std::int64_t>{40, 40, 10, 20}));
}

TEST_F(DisplayManagerTest, CallbackIsReadWhenTheNotificationRuns) {
  auto manager = makeManager();
  std::vector<std::int64_t> early;
  std::vector<std::int64_t> late;
  manager->onBrightnessChanged = [&](std::int64_t level) { early.push_back(level); };
  manager->setBrightness(30);
  manager->onBrightnessChanged = [&](std::int64_t level) { late.push_back(level); };
  testsupport::drainMainQueue();
  EXPECT_TRUE(early.empty());
  EXPECT_EQ(late, std::vector<std::int64_t>{30});
}

TEST_F(DisplayManagerTest, NotificationForAManagerThatIsGoneDoesNothing) {
  auto manager = makeManager();
  int calls = 0;
  manager->onBrightnessChanged = [&calls](std::int64_t) { ++calls; };
  manager->setBrightness(30);
  manager.reset();
  testsupport::drainMainQueue();
  EXPECT_EQ(calls, 0);
}

}  // namespace
}  // namespace displaytest

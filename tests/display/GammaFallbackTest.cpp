#include <gtest/gtest.h>

#include <vector>

#include "tests/display/DisplayFakes.h"

namespace displaytest {
namespace {

using Applied = std::vector<FakeTransferTables::Applied>;

struct DimCase {
  std::int64_t level;
  float top;
};

class DimsInSoftware : public DisplayManagerTest, public testing::WithParamInterface<DimCase> {};

TEST_P(DimsInSoftware, EveryActiveDisplayInOrderNeverBelowTenPercent) {
  tables->displays = {3, 7};
  makeManager()->setBrightness(GetParam().level);
  const std::vector<float> table = {0.0f, GetParam().top};
  EXPECT_EQ(tables->applied, (Applied{{3, table}, {7, table}}));
}

INSTANTIATE_TEST_SUITE_P(Levels, DimsInSoftware,
                         testing::Values(DimCase{0, 0.1f}, DimCase{5, 0.1f}, DimCase{10, 0.1f},
                                         DimCase{11, 0.11f}, DimCase{70, 0.7f}, DimCase{100, 1.0f}),
                         [](const auto& info) {
                           return "Level" + std::to_string(info.param.level);
                         });

TEST_F(DisplayManagerTest, DisplayListShrinkingBetweenCallsDimsOnlyListedDisplays) {
  tables->displays = {3, 7};
  tables->displaysOnSecondCall = std::vector<std::uint32_t>{3};
  makeManager()->setBrightness(40);
  EXPECT_EQ(tables->applied, (Applied{{3, {0.0f, 0.4f}}}));
}

TEST_F(DisplayManagerTest, PortAcceptingAgainLiftsTheSoftwareDimmingOnce) {
  ports->services = {1};
  tables->displays = {3, 7};
  libraryRecord().writeStatuses = {{1, {-1, -1}}};
  auto manager = makeManager();
  manager->setBrightness(40);
  manager->setBrightness(60);
  manager->setBrightness(80);
  EXPECT_EQ(tables->applied,
            (Applied{{3, {0.0f, 0.4f}}, {7, {0.0f, 0.4f}}, {3, {0.0f, 1.0f}}, {7, {0.0f, 1.0f}}}));
}

}  // namespace
}  // namespace displaytest

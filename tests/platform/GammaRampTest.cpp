#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <utility>
#include <vector>

#include "platform/GammaRamp.h"

namespace {

struct Case {
  const char* name;
  std::size_t size;
  std::vector<float> table;
  std::vector<std::pair<std::size_t, std::uint16_t>> expectedEntries;
};

TEST(GammaRamp, InterpolatesTheTableLinearlyAcrossTheRamp) {
  const std::vector<Case> cases = {
      {"full brightness", 256, {0.0f, 1.0f}, {{0, 0}, {1, 257}, {128, 32896}, {255, 65535}}},
      {"one entry takes the table's start", 1, {0.25f, 1.0f}, {{0, 16384}}},
      {"longer tables",
       5,
       {0.0f, 1.0f, 0.0f},
       {{0, 0}, {1, 32768}, {2, 65535}, {3, 32768}, {4, 0}}},
      {"values outside 0 to 1 are clamped", 3, {-0.5f, 2.0f}, {{0, 0}, {1, 32768}, {2, 65535}}},
      {"not a number counts as 0", 3, {NAN, NAN}, {{0, 0}, {1, 0}, {2, 0}}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const std::vector<std::uint16_t> ramp =
        platform::gammaRampFromTable(c.size, c.table.size(), c.table.data());
    ASSERT_EQ(ramp.size(), c.size);
    for (const auto& [index, value] : c.expectedEntries) {
      EXPECT_EQ(ramp[index], value) << "entry " << index;
    }
  }
}

}  // namespace

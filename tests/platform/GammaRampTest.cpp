#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <tuple>
#include <utility>
#include <vector>

#include "platform/gamma/GammaRamp.h"

namespace {

TEST(GammaRamp, RisesLinearlyToTheFractionOfFullScale) {
  using Entries = std::vector<std::pair<std::size_t, std::uint16_t>>;
  const std::tuple<std::size_t, double, Entries> cases[] = {
      {256, 1.0, {{0, 0}, {1, 257}, {128, 32896}, {255, 65535}}},
      {256, 0.3, {{0, 0}, {128, 9869}, {255, 19661}}},
      {256, 0.1, {{255, 6554}}},
      {1, 0.5, {{0, 0}}},
      {3, 2.0, {{1, 32768}, {2, 65535}}},
      {3, -0.5, {{1, 0}, {2, 0}}},
      {3, NAN, {{1, 0}, {2, 0}}},
  };
  for (const auto& [size, fraction, entries] : cases) {
    SCOPED_TRACE(testing::Message() << size << " entries to " << fraction);
    const std::vector<std::uint16_t> ramp = platform::gammaRamp(size, fraction);
    ASSERT_EQ(ramp.size(), size);
    for (const auto& [index, value] : entries) EXPECT_EQ(ramp[index], value) << index;
  }
}

}  // namespace

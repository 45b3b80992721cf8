#include <gtest/gtest.h>

#include <cstdint>
#include <tuple>

#include "display/BacklightLevels.h"

namespace {

// {maximum, level, its value, a value, its level}
const std::tuple<std::int64_t, std::int64_t, std::int64_t, std::int64_t, std::int64_t> kCases[] = {
    {1, 0, 1, 0, 0},         {7, 50, 4, 4, 57},     {255, 50, 128, 128, 50},
    {1000, 100, 1000, 5, 1}, {96000, 0, 1, 480, 1}, {96000, 33, 31680, 95999, 100},
};

TEST(BacklightLevels, MapsLevelsToValuesAndBackRoundedNeverOff) {
  for (const auto& [maximum, level, value, readValue, readLevel] : kCases) {
    const BacklightLevels levels(maximum);
    EXPECT_EQ(levels.valueForLevel(level), value) << maximum << " level " << level;
    EXPECT_EQ(levels.levelForValue(readValue), readLevel) << maximum << " value " << readValue;
  }
}

}  // namespace

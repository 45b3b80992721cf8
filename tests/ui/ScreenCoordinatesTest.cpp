#include <gtest/gtest.h>

#include "app/ui/ScreenCoordinates.h"

namespace {

struct FlipCase {
  const char* what;
  QRectF qt;
  ui::Rect unflipped;
};

void PrintTo(const FlipCase& testCase, std::ostream* out) { *out << testCase.what; }

class ScreenCoordinatesFlip : public testing::TestWithParam<FlipCase> {};

// A 1920x1080 primary screen is the pivot in every case.
constexpr double kPrimaryHeight = 1080;

TEST_P(ScreenCoordinatesFlip, ConvertsBothWays) {
  const ui::ScreenCoordinates coordinates(kPrimaryHeight);
  EXPECT_EQ(coordinates.unflipped(GetParam().qt), GetParam().unflipped);
  EXPECT_EQ(coordinates.qt(GetParam().unflipped), GetParam().qt);
}

INSTANTIATE_TEST_SUITE_P(
    Rects, ScreenCoordinatesFlip,
    testing::Values(
        FlipCase{"PrimaryScreenStartsAtTheOrigin", {0, 0, 1920, 1080}, {0, 0, 1920, 1080}},
        FlipCase{"ShorterScreenRightOfPrimaryAlignedAtTop",
                 {1920, 0, 1280, 1024},
                 {1920, 56, 1280, 1024}},
        FlipCase{"ScreenAbovePrimaryHasPositiveY", {0, -1440, 2560, 1440}, {0, 1080, 2560, 1440}},
        FlipCase{"WindowNearTopOfPrimary", {100, 50, 300, 200}, {100, 830, 300, 200}}),
    [](const testing::TestParamInfo<FlipCase>& info) { return info.param.what; });

}  // namespace

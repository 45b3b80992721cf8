#include <gtest/gtest.h>

#include <QGuiApplication>
#include <QScreen>

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
        FlipCase{"ScreenBelowPrimaryHasNegativeY", {0, 1080, 1920, 1080}, {0, -1080, 1920, 1080}},
        FlipCase{"WindowNearTopOfPrimary", {100, 50, 300, 200}, {100, 830, 300, 200}},
        FlipCase{"FractionalPoints", {10.5, 20.25, 100.5, 50.5}, {10.5, 1009.25, 100.5, 50.5}}),
    [](const testing::TestParamInfo<FlipCase>& info) { return info.param.what; });

TEST(ScreenCoordinates, CurrentPivotsOnThePrimaryScreen) {
  const ui::ScreenCoordinates coordinates = ui::ScreenCoordinates::current();
  const QRectF primary = QGuiApplication::primaryScreen()->geometry();
  const ui::Rect frame = coordinates.unflipped(primary);
  EXPECT_EQ(frame.y, 0);
  EXPECT_EQ(frame.height, primary.height());
}

}  // namespace

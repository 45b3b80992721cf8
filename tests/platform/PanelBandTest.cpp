#include <gtest/gtest.h>

#include <optional>
#include <tuple>

#include "platform/popup/PanelBand.h"

namespace {

TEST(PanelBand, TakesTheWorkAreaWhereItHoldsTheClickElseTwiceTheClicksDepth) {
  const QRect laptop(0, 0, 1280, 800), second(1280, 0, 1920, 1080);
  const std::tuple<const char*, QRect, bool, QPoint, std::optional<QRect>, int> cases[] = {
      {"Plasma's bottom panel", laptop, false, {1072, 777}, QRect(0, 0, 1280, 756), 44},
      {"no work area", laptop, false, {1072, 777}, std::nullopt, 46},
      {"a top bar, no work area", laptop, true, {1200, 11}, std::nullopt, 22},
      {"work area clear of the click", laptop, false, {1072, 777}, QRect(0, 30, 1280, 770), 46},
      {"second output", second, false, {2900, 1058}, QRect(0, 0, 3200, 1036), 44},
      {"click mid-screen", laptop, false, {640, 300}, std::nullopt, 400}};
  for (const auto& [what, output, top, click, workArea, thickness] : cases) {
    EXPECT_EQ(platform::PanelBand::thickness(output, top, click, workArea), thickness) << what;
  }
}

}  // namespace

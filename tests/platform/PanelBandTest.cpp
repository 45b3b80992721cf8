#include <gtest/gtest.h>

#include <optional>

#include "platform/popup/PanelBand.h"

namespace {

TEST(PanelBand, TakesTheWorkAreaWhereItHoldsTheClickElseTwiceTheClicksDepth) {
  struct Case {
    const char* what;
    QRect output;
    bool top;
    QPoint click;
    std::optional<QRect> workArea;
    int thickness;
  };
  const QRect laptop(0, 0, 1280, 800);
  const Case cases[] = {
      {"Plasma's bottom panel", laptop, false, {1072, 777}, QRect(0, 0, 1280, 756), 44},
      {"no work area", laptop, false, {1072, 777}, std::nullopt, 46},
      {"a top bar, no work area", laptop, true, {1200, 11}, std::nullopt, 22},
      {"work area clear of the click", laptop, false, {1072, 777}, QRect(0, 30, 1280, 770), 46},
      {"second output",
       QRect(1280, 0, 1920, 1080),
       false,
       {2900, 1058},
       QRect(0, 0, 3200, 1036),
       44},
      {"click mid-screen", laptop, false, {640, 300}, std::nullopt, 400}};
  for (const Case& c : cases) {
    EXPECT_EQ(platform::PanelBand::thickness(c.output, c.top, c.click, c.workArea), c.thickness)
        << c.what;
  }
}

}  // namespace

#include <gtest/gtest.h>

#include <QSlider>
#include <cmath>

#include "app/ui/ProgressIndicator.h"
#include "app/ui/Slider.h"
#include "app/ui/ViewBridge.h"

namespace {

// A drag over the knob positions given as shares of the track: a continuous
// slider sends each step with itself as sender, another only the last, once.
TEST(Slider, SendsEveryStepOfADragOnlyWhenContinuous) {
  for (bool continuous : {true, false}) {
    std::vector<double> sent;
    ui::Slider slider(70, 0, 100, [&](ui::Slider& sender) {
      EXPECT_EQ(&sender, &slider);
      sent.push_back(sender.doubleValue());
    });
    slider.setContinuous(continuous);
    auto* widget = static_cast<QSlider*>(ui::bridge::widgetOf(slider));
    widget->setSliderDown(true);
    for (double share : {0.495, 0.4949, 0.3}) {
      widget->setSliderPosition(static_cast<int>(std::lround(share * widget->maximum())));
    }
    widget->setSliderDown(false);
    const std::vector<double> expected =
        continuous ? std::vector<double>{49.5, 49.49, 30} : std::vector<double>{30};
    ASSERT_EQ(sent.size(), expected.size()) << continuous;
    for (std::size_t i = 0; i < sent.size(); ++i) EXPECT_DOUBLE_EQ(sent[i], expected[i]);
  }
}

TEST(Slider, ValuesSetFromCodeStayInRangeAndSendNothing) {
  int sends = 0;
  ui::Slider slider(250, 0, 100, [&](ui::Slider&) { ++sends; });
  slider.setContinuous(true);
  EXPECT_DOUBLE_EQ(slider.doubleValue(), 100);
  for (const auto& [set, expected] : {std::pair(70.0, 70.0), {-5, 0}, {120, 100}, {49.49, 49.49}}) {
    slider.setDoubleValue(set);
    EXPECT_DOUBLE_EQ(slider.doubleValue(), expected) << set;
  }
  EXPECT_EQ(sends, 0);
}

TEST(ProgressIndicator, FillsTheShareOfItsRangeClamped) {
  ui::ProgressIndicator bar(ui::Rect{48, 20, 115, 10});
  for (const auto& [value, fraction] : {std::pair(0.0, 0.0), {40, 0.4}, {120, 1}, {-5, 0}}) {
    bar.setDoubleValue(value);
    EXPECT_DOUBLE_EQ(bar.fraction(), fraction) << value;
  }
}

}  // namespace

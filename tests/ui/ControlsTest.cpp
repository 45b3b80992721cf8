#include <gtest/gtest.h>

#include <QSlider>
#include <cmath>

#include "app/ui/Button.h"
#include "app/ui/ProgressIndicator.h"
#include "app/ui/Slider.h"
#include "app/ui/TextField.h"
#include "app/ui/ViewBridge.h"

namespace {

// Moves the slider's knob as a drag would, to `share` of its track.
void drag(ui::Slider& slider, double share) {
  auto* widget = static_cast<QSlider*>(ui::bridge::widgetOf(slider));
  widget->setSliderDown(true);
  widget->setSliderPosition(static_cast<int>(std::lround(share * widget->maximum())));
  widget->setSliderDown(false);
}

TEST(Slider, AContinuousDragSendsEveryStepWithTheSliderAsSender) {
  std::vector<double> sent;
  ui::Slider* sender = nullptr;
  ui::Slider slider(70, 0, 100, [&](ui::Slider& s) {
    sender = &s;
    sent.push_back(s.doubleValue());
  });
  slider.setContinuous(true);
  auto* widget = static_cast<QSlider*>(ui::bridge::widgetOf(slider));
  widget->setSliderDown(true);
  for (double share : {0.495, 0.4949, 1.0}) {
    widget->setSliderPosition(static_cast<int>(std::lround(share * widget->maximum())));
  }
  widget->setSliderDown(false);
  EXPECT_EQ(sender, &slider);
  ASSERT_EQ(sent.size(), 3u);
  EXPECT_DOUBLE_EQ(sent[0], 49.5);
  EXPECT_DOUBLE_EQ(sent[1], 49.49);
  EXPECT_DOUBLE_EQ(sent[2], 100);
}

TEST(Slider, ANonContinuousSliderSendsOnceWhenTheDragEnds) {
  int sends = 0;
  ui::Slider slider(0, 0, 100, [&](ui::Slider&) { ++sends; });
  drag(slider, 0.3);
  EXPECT_EQ(sends, 1);
  EXPECT_DOUBLE_EQ(slider.doubleValue(), 30);
}

TEST(Slider, ValuesSetFromCodeStayInRangeAndSendNothing) {
  int sends = 0;
  ui::Slider slider(250, 0, 100, [&](ui::Slider&) { ++sends; });
  slider.setContinuous(true);
  EXPECT_DOUBLE_EQ(slider.doubleValue(), 100);
  struct Case {
    double set, expected;
  } cases[] = {{70, 70}, {-5, 0}, {120, 100}, {49.49, 49.49}};
  for (const auto& c : cases) {
    slider.setDoubleValue(c.set);
    EXPECT_DOUBLE_EQ(slider.doubleValue(), c.expected) << c.set;
  }
  EXPECT_EQ(sends, 0);
}

TEST(Button, AClickSendsTheActionWithTheButtonAndItsTag) {
  std::vector<std::int64_t> tags;
  std::vector<std::shared_ptr<ui::Button>> presets;
  for (int level : {25, 50, 75, 100}) {
    auto button = ui::Button::pushButton(std::to_string(level) + "%",
                                         [&](ui::Button& sender) { tags.push_back(sender.tag()); });
    button->setTag(level);
    presets.push_back(button);
  }
  presets[3]->performClick();
  presets[0]->performClick();
  EXPECT_EQ(tags, (std::vector<std::int64_t>{100, 25}));
}

TEST(Button, ACheckboxHasItsNewStateWhenItsActionRuns) {
  std::vector<ui::ControlState> seen;
  auto checkbox =
      ui::Button::checkbox("Start on login", [&](ui::Button& b) { seen.push_back(b.state()); });
  checkbox->performClick();
  checkbox->performClick();
  checkbox->setState(ui::ControlState::On);  // From code: no action.
  EXPECT_EQ(seen, (std::vector<ui::ControlState>{ui::ControlState::On, ui::ControlState::Off}));
  EXPECT_EQ(checkbox->state(), ui::ControlState::On);
}

TEST(TextField, ALongTextIsCutAtItsTailOnlyWhenAskedTo) {
  ui::TextField label(ui::Rect{42, 168, 170, 20});
  label.setFont(ui::Font::systemFont(13, ui::FontWeight::Semibold));
  const std::string longName = "An Extraordinarily Long Monitor Model Name 34\" UltraWide";
  label.setStringValue(longName);
  EXPECT_EQ(label.displayedText(), longName) << "clipped, not rewritten, by default";
  label.setLineBreakMode(ui::LineBreakMode::TruncatingTail);
  const std::string shown = label.displayedText();
  EXPECT_LT(shown.size(), longName.size());
  EXPECT_EQ(shown.substr(0, 5), "An Ex");
  EXPECT_EQ(shown.substr(shown.size() - 3), "\u2026");
  label.setStringValue("DELL U2720Q");
  EXPECT_EQ(label.displayedText(), "DELL U2720Q");
}

TEST(ProgressIndicator, FillsTheShareOfItsRangeClamped) {
  ui::ProgressIndicator bar(ui::Rect{48, 20, 115, 10});
  struct Case {
    double value, fraction;
  } cases[] = {{0, 0}, {40, 0.4}, {100, 1}, {120, 1}, {-5, 0}};
  for (const auto& c : cases) {
    bar.setDoubleValue(c.value);
    EXPECT_DOUBLE_EQ(bar.fraction(), c.fraction) << c.value;
    EXPECT_DOUBLE_EQ(bar.doubleValue(), c.value);
  }
}

}  // namespace

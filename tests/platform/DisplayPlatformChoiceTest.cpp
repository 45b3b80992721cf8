#include "platform/session/DisplayPlatformChoice.h"

#include <gtest/gtest.h>

#include <tuple>

namespace {

// What answers: an X server, a Wayland compositor, Qt's Wayland plugin, the
// compositor's layer shell.
constexpr unsigned kX = 1, kW = 2, kP = 4, kL = 8;

// A plain X session, no display at all and a dead Wayland socket are started
// for real in tests/app/no_display.sh. An empty `mentions` expects no problem.
TEST(DisplayPlatformChoice, PicksAPlatformThatAnswersOrSaysWhatIsMissing) {
  const platform::DisplayEnvironment both{"", ":0", "wayland-0"}, wayland{"", "", "wayland-0"};
  const std::tuple<platform::DisplayEnvironment, unsigned, std::string, std::string, bool, bool>
      cases[] = {
          {both, kX | kW | kP, "xcb", "", false, false},
          {both, kX | kW | kP | kL, "wayland", "", false, true},
          {both, kX | kW | kL, "xcb", "", false, false},
          {wayland, kW | kP, "wayland", "", false, false},
          {{"wayland", "", "wayland-0"}, kW | kP | kL, "wayland", "", false, true},
          {wayland, kW, "", "qt6-wayland", false, false},
          {{"", ":5", "wayland-9"}, kP, "", "DISPLAY=:5 and no compositor", true, false},
          {{"xcb", ":0", "wayland-0"}, kW | kP, "", "QT_QPA_PLATFORM=xcb", true, false},
          {{"wayland", ":0", ""}, kX | kP, "", "QT_QPA_PLATFORM=wayland", false, false},
      };
  for (const auto& [environment, answering, qtPlatform, mentions, worthWaiting, layerShell] :
       cases) {
    const auto answers = [answering = answering](unsigned what) {
      return [answering, what] { return (answering & what) != 0; };
    };
    const platform::DisplayChoice choice = platform::chooseDisplayPlatform(
        environment, {answers(kX), answers(kW), answers(kP), answers(kL)});
    EXPECT_EQ(std::tie(choice.qtPlatform, choice.worthWaiting, choice.layerShell),
              std::tie(qtPlatform, worthWaiting, layerShell))
        << answering << " " << environment.x11Display;
    EXPECT_EQ(choice.problem.empty(), mentions.empty()) << choice.problem;
    EXPECT_NE(choice.problem.find(mentions), std::string::npos) << choice.problem;
  }
}

}  // namespace

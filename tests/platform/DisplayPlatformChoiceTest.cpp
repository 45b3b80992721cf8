#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/session/DisplayPlatformChoice.h"

namespace {

// What answers: an X server, a Wayland compositor, Qt's Wayland plugin, the
// compositor's layer shell.
constexpr unsigned kX = 1, kW = 2, kP = 4, kL = 8;

struct Case {
  const char* name;
  platform::DisplayEnvironment environment;
  unsigned answers;
  std::string platform;
  std::string problemMentions;  // Empty: no problem.
  bool worthWaiting;
  bool layerShell = false;
};

// A plain X session, no display at all and a dead Wayland socket are started
// for real in tests/app/no_display.sh.
TEST(DisplayPlatformChoice, PicksAPlatformThatAnswersOrSaysWhatIsMissing) {
  const std::vector<Case> cases = {
      {"Xwayland when no layer shell", {"", ":0", "wayland-0"}, kX | kW | kP, "xcb", "", false},
      {"layer shell over Xwayland",
       {"", ":0", "wayland-0"},
       kX | kW | kP | kL,
       "wayland",
       "",
       false,
       true},
      {"layer shell needs the plugin", {"", ":0", "wayland-0"}, kX | kW | kL, "xcb", "", false},
      {"Wayland without Xwayland", {"", "", "wayland-0"}, kW | kP, "wayland", "", false},
      {"named wayland, layer shell",
       {"wayland", "", "wayland-0"},
       kW | kP | kL,
       "wayland",
       "",
       false,
       true},
      {"no Xwayland, no Qt plugin", {"", "", "wayland-0"}, kW, "", "qt6-wayland", false},
      {"both silent", {"", ":5", "wayland-9"}, kP, "", "DISPLAY=:5 and no compositor", true},
      {"named xcb, X silent", {"xcb", ":0", "wayland-0"}, kW | kP, "", "QT_QPA_PLATFORM=xcb", true},
      {"named wayland, none", {"wayland", ":0", ""}, kX | kP, "", "QT_QPA_PLATFORM=wayland", false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const platform::DisplayProbes probes{
        [&] { return (c.answers & kX) != 0; }, [&] { return (c.answers & kW) != 0; },
        [&] { return (c.answers & kP) != 0; }, [&] { return (c.answers & kL) != 0; }};
    const platform::DisplayChoice choice = platform::chooseDisplayPlatform(c.environment, probes);
    EXPECT_EQ(choice.qtPlatform, c.platform);
    EXPECT_EQ(choice.worthWaiting, c.worthWaiting);
    EXPECT_EQ(choice.layerShell, c.layerShell);
    EXPECT_EQ(choice.problem.empty(), c.problemMentions.empty());
    EXPECT_NE(choice.problem.find(c.problemMentions), std::string::npos) << choice.problem;
  }
}

}  // namespace

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/DisplayPlatformChoice.h"

namespace {

struct Case {
  const char* name;
  platform::DisplayEnvironment environment;
  bool x11, wayland, plugin;
  std::string platform;
  std::string problemMentions;  // Empty: no problem.
  bool worthWaiting;
};

TEST(DisplayPlatformChoice, PicksAPlatformThatAnswersOrSaysWhatIsMissing) {
  const std::vector<Case> cases = {
      {"X11 session", {"", ":0", ""}, true, false, false, "xcb", "", false},
      {"Wayland with Xwayland keeps X11",
       {"", ":0", "wayland-0"},
       true,
       true,
       true,
       "xcb",
       "",
       false},
      {"Wayland without Xwayland", {"", "", "wayland-0"}, false, true, true, "wayland", "", false},
      {"no Xwayland, no Qt plugin",
       {"", "", "wayland-0"},
       false,
       true,
       false,
       "",
       "qt6-wayland",
       false},
      {"nothing set: waiting cannot help",
       {"", "", ""},
       false,
       false,
       false,
       "",
       "neither DISPLAY nor WAYLAND_DISPLAY",
       false},
      {"dead Wayland socket",
       {"", "", "wayland-9"},
       false,
       false,
       true,
       "",
       "WAYLAND_DISPLAY=wayland-9",
       true},
      {"both silent",
       {"", ":5", "wayland-9"},
       false,
       false,
       true,
       "",
       "DISPLAY=:5 and no compositor",
       true},
      {"named offscreen needs no display",
       {"offscreen", "", ""},
       false,
       false,
       false,
       "offscreen",
       "",
       false},
      {"named xcb that answers", {"xcb", ":0", "wayland-0"}, true, true, true, "xcb", "", false},
      {"named xcb, X silent",
       {"xcb", ":0", "wayland-0"},
       false,
       true,
       true,
       "",
       "QT_QPA_PLATFORM=xcb",
       true},
      {"named wayland, nothing set",
       {"wayland", ":0", ""},
       true,
       false,
       true,
       "",
       "QT_QPA_PLATFORM=wayland",
       false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const platform::DisplayProbes probes{[&] { return c.x11; }, [&] { return c.wayland; },
                                         [&] { return c.plugin; }};
    const platform::DisplayChoice choice = platform::chooseDisplayPlatform(c.environment, probes);
    EXPECT_EQ(choice.qtPlatform, c.platform);
    EXPECT_EQ(choice.worthWaiting, c.worthWaiting);
    if (c.problemMentions.empty()) {
      EXPECT_EQ(choice.problem, "");
    } else {
      EXPECT_NE(choice.problem.find(c.problemMentions), std::string::npos) << choice.problem;
      EXPECT_EQ(choice.problem.find('\n'), std::string::npos);
    }
  }
}

}  // namespace

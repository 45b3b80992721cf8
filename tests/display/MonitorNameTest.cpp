#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <vector>

#include "tests/display/DisplayFakes.h"

namespace displaytest {
namespace {

struct NameCase {
  const char* what;
  std::vector<std::string> screens;
  std::optional<std::string> main;
  std::string name;
};

void PrintTo(const NameCase& testCase, std::ostream* out) { *out << testCase.what; }

class DetectsMonitorName : public DisplayManagerTest,
                           public testing::WithParamInterface<NameCase> {};

TEST_P(DetectsMonitorName, AtConstruction) {
  for (const std::string& name : GetParam().screens) {
    screens->list.push_back(screenNamed(name));
  }
  if (GetParam().main) {
    screens->main = screenNamed(*GetParam().main);
  }
  EXPECT_EQ(makeManager()->monitorName, GetParam().name);
}

INSTANTIATE_TEST_SUITE_P(
    Screens, DetectsMonitorName,
    testing::Values(
        NameCase{"ExternalAfterBuiltIn",
                 {"Built-in Display", "DELL U2720Q"},
                 "Built-in Display",
                 "DELL U2720Q"},
        NameCase{"FirstOfTwoExternals", {"LG HDR 4K", "DELL U2720Q"}, "LG HDR 4K", "LG HDR 4K"},
        NameCase{"OnlyColorLcdAsMain", {"Color LCD"}, "Color LCD", "Color LCD"},
        NameCase{"MarkerInOtherCaseCountsAsExternal",
                 {"built-in panel"},
                 std::nullopt,
                 "built-in panel"},
        NameCase{"MarkerAnywhereInTheName", {"Wide Color LCD Panel", "Acer"}, std::nullopt, "Acer"},
        NameCase{"NoScreensNoMain", {}, std::nullopt, "External Monitor"},
        NameCase{"OnlyBuiltInNoMain", {"Built-in Display"}, std::nullopt, "External Monitor"},
        NameCase{"EmptyExternalThenBuiltInMain",
                 {"", "Built-in Display"},
                 "Built-in Display",
                 "Built-in Display"},
        NameCase{"MainWithEmptyName", {""}, "", ""}),
    [](const auto& info) { return info.param.what; });

TEST_F(DisplayManagerTest, RedetectionFollowsScreensAndKeepsNameWhenNoneLeft) {
  screens->list = {screenNamed("DELL U2720Q")};
  auto manager = makeManager();
  screens->list = {screenNamed("Built-in Display"), screenNamed("BenQ GW2480")};
  manager->detectMonitorName();
  EXPECT_EQ(manager->monitorName, "BenQ GW2480");
  screens->list.clear();
  manager->detectMonitorName();
  EXPECT_EQ(manager->monitorName, "BenQ GW2480");
}

}  // namespace
}  // namespace displaytest

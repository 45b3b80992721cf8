#include <gtest/gtest.h>

#include <QGuiApplication>
#include <QScreen>
#include <optional>
#include <string>

#include "app/ui/QtScreens.h"

namespace {

struct NameCase {
  const char* what;
  std::string connector;
  std::optional<std::string> edidModel;
  std::string name;
};

void PrintTo(const NameCase& testCase, std::ostream* out) { *out << testCase.what; }

class QtScreensDisplayName : public testing::TestWithParam<NameCase> {};

TEST_P(QtScreensDisplayName, NamesTheScreen) {
  EXPECT_EQ(ui::QtScreens::displayName(GetParam().connector, GetParam().edidModel),
            GetParam().name);
}

INSTANTIATE_TEST_SUITE_P(
    Connectors, QtScreensDisplayName,
    testing::Values(
        NameCase{"ExternalWithEdidModel", "DP-1", "DELL U2720Q", "DELL U2720Q"},
        NameCase{"ExternalWithoutEdidUsesConnector", "HDMI-A-1", std::nullopt, "HDMI-A-1"},
        NameCase{"EmbeddedDisplayPortIsBuiltIn", "eDP-1", "LQ156M1JW25", "Built-in Display"},
        NameCase{"LvdsIsBuiltIn", "LVDS1", std::nullopt, "Built-in Display"},
        NameCase{"DsiIsBuiltIn", "DSI-1", std::nullopt, "Built-in Display"},
        NameCase{"PrefixMustStartTheConnector", "DP-eDP", std::nullopt, "DP-eDP"},
        NameCase{"NoConnectorNoEdid", "", std::nullopt, ""}),
    [](const testing::TestParamInfo<NameCase>& info) { return info.param.what; });

TEST(QtScreens, ListsQtScreensInOrderWithPrimaryAsMainAtTheOrigin) {
  const ui::QtScreens screens;
  const auto list = screens.screens();
  ASSERT_EQ(list.size(), QGuiApplication::screens().size());
  const auto main = screens.mainScreen();
  ASSERT_TRUE(main.has_value());
  const QRect primary = QGuiApplication::primaryScreen()->geometry();
  EXPECT_EQ(main->frame,
            (ui::Rect{static_cast<double>(primary.x()), 0, static_cast<double>(primary.width()),
                      static_cast<double>(primary.height())}));
  EXPECT_EQ(main->localizedName, QGuiApplication::primaryScreen()->name().toStdString());
}

}  // namespace

#include <gtest/gtest.h>

#include "app/ui/PopoverWindowPlacement.h"

namespace {

struct PlacementCase {
  const char* name;
  QRect anchor;
  QSize size;
  QRect available;
  QPoint expected;
  friend void PrintTo(const PlacementCase& c, std::ostream* os) { *os << c.name; }
};

// A 1280 × 800 screen whose top 24 pixels hold a panel.
const QRect kBelowTopPanel(0, 24, 1280, 776);

class PopoverWindowPlacementTest : public ::testing::TestWithParam<PlacementCase> {};

TEST_P(PopoverWindowPlacementTest, LandsUnderTheAnchorInsideTheAvailableArea) {
  const PlacementCase& c = GetParam();
  EXPECT_EQ(ui::popoverWindowOrigin(c.anchor, c.size, c.available), c.expected);
}

INSTANTIATE_TEST_SUITE_P(
    Placements, PopoverWindowPlacementTest,
    ::testing::Values(PlacementCase{"CentredUnderAnIconMidScreen", QRect(600, 1, 22, 22),
                                    QSize(280, 248), kBelowTopPanel, QPoint(471, 24)},
                      PlacementCase{"PushedLeftAtTheRightEdge", QRect(1257, 1, 22, 22),
                                    QSize(280, 248), kBelowTopPanel, QPoint(1000, 24)},
                      PlacementCase{"PushedRightAtTheLeftEdge", QRect(2, 1, 22, 22),
                                    QSize(280, 200), kBelowTopPanel, QPoint(0, 24)},
                      PlacementCase{"AboveABottomPanel", QRect(1200, 778, 22, 22), QSize(280, 248),
                                    QRect(0, 0, 1280, 776), QPoint(1000, 528)},
                      PlacementCase{"UnderThePointerWithoutIconGeometry", QRect(400, 300, 0, 0),
                                    QSize(280, 200), kBelowTopPanel, QPoint(260, 300)},
                      PlacementCase{"OnASecondScreenToTheRight", QRect(2000, 0, 24, 24),
                                    QSize(280, 248), QRect(1280, 0, 1920, 1080), QPoint(1872, 24)},
                      PlacementCase{"TopKeptVisibleWhenTallerThanTheScreen", QRect(100, 0, 20, 20),
                                    QSize(280, 900), kBelowTopPanel, QPoint(0, 24)}),
    [](const auto& info) { return std::string(info.param.name); });

}  // namespace

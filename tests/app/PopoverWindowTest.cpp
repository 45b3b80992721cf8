#include "platform/popup/PopoverWindowPopup.h"

#include <gtest/gtest.h>

#include <tuple>

#include "platform/popup/PopoverWindowPlacement.h"
#include "platform/tray/StatusItem.h"

namespace {

TEST(PopoverWindowPlacement, LandsUnderTheAnchorInsideTheAvailableArea) {
  const QRect belowTopPanel(0, 24, 1280, 776);  // A 1280 x 800 screen, panel on top.
  // What, the anchor, the popover's size, the available area, where it lands.
  const std::tuple<const char*, QRect, QSize, QRect, QPoint> cases[] = {
      {"centred under an icon", {600, 1, 22, 22}, {280, 248}, belowTopPanel, {471, 24}},
      {"in a bottom corner", {1200, 778, 22, 22}, {280, 248}, {0, 0, 1280, 776}, {1000, 528}},
      {"on a second screen", {2000, 0, 24, 24}, {280, 248}, {1280, 0, 1920, 1080}, {1872, 24}},
      {"top kept visible when too tall", {100, 0, 20, 20}, {280, 900}, belowTopPanel, {0, 24}}};
  for (const auto& [what, anchor, size, available, origin] : cases) {
    EXPECT_EQ(platform::popoverWindowOrigin(anchor, size, available), origin) << what;
  }
}

// The banner comes and goes while the popover is open. That a click on the
// icon closing it does not reopen it is checked in tests/app/command_line.sh.
TEST(PopoverWindowPopup, FollowsItsContentsSize) {
  struct : platform::StatusBarButton {
    void setImage(QIcon) override {}
    void setAction(std::function<void()>) override {}
    void setScrollAction(std::function<void(bool)>) override {}
    void setMenu(std::vector<platform::StatusMenuEntry>) override {}
    void setToolTip(const std::string&) override {}
  } button;
  QWidget content;
  content.resize(280, 248);
  platform::PopoverWindowPopup popup;
  popup.setContentView(&content);
  popup.showRelativeTo(button);
  content.resize(280, 200);
  EXPECT_EQ(popup.size(), QSize(280, 200));
}

}  // namespace

#include "app/ui/PopoverWindowPopup.h"

#include <gtest/gtest.h>

#include "app/ui/View.h"
#include "tests/app/AppFakes.h"
#include "tests/support/EventLoop.h"

namespace {

class PopoverWindowPopupTest : public ::testing::Test {
 protected:
  void SetUp() override {
    popup.setContentView(content);
    popup.showRelativeTo(button);
  }

  std::shared_ptr<apptest::EventLog> log = std::make_shared<apptest::EventLog>();
  apptest::RecordingButton button{log};
  std::shared_ptr<ui::View> content = std::make_shared<ui::View>(ui::Rect{0, 0, 280, 248});
  ui::PopoverWindowPopup popup;
};

TEST_F(PopoverWindowPopupTest, SizeFollowsTheContentView) {
  EXPECT_EQ(popup.size(), QSize(280, 248));
  content->setFrame({0, 0, 280, 200});
  EXPECT_EQ(popup.size(), QSize(280, 200));
}

TEST_F(PopoverWindowPopupTest, ClosingOnRequestEndsItAtOnce) {
  ASSERT_TRUE(popup.isShown());
  popup.performClose();
  EXPECT_FALSE(popup.isShown());
}

TEST_F(PopoverWindowPopupTest, APressOutsideKeepsItCountedAsShownForAMoment) {
  popup.close();  // What Qt does on a press outside the popup.
  EXPECT_FALSE(popup.isVisible());
  EXPECT_TRUE(popup.isShown()) << "the press's own tray activation must not reopen it";
  EXPECT_TRUE(
      testsupport::runLoopUntil([&] { return !popup.isShown(); }, std::chrono::milliseconds(1000)));
}

TEST_F(PopoverWindowPopupTest, ReopeningAfterAnOutsidePressShowsItAgain) {
  popup.close();
  popup.showRelativeTo(button);
  EXPECT_TRUE(popup.isVisible());
  popup.performClose();
  EXPECT_FALSE(popup.isShown());
}

}  // namespace

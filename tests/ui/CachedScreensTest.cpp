#include <gtest/gtest.h>

#include <QGuiApplication>
#include <QScreen>

#include "app/ui/CachedScreens.h"

namespace {

class CountingScreens : public ui::Screens {
 public:
  std::vector<ui::Screen> screens() const override {
    ++reads;
    return {screen};
  }
  std::optional<ui::Screen> mainScreen() const override {
    ++reads;
    return screen;
  }
  ui::Screen screen{"DELL U2720Q", {0, 0, 1920, 1080}, {0, 0, 1920, 1055}};
  mutable int reads = 0;
};

TEST(CachedScreens, AsksTheSystemAgainOnlyAfterTheScreensChange) {
  auto source = std::make_shared<CountingScreens>();
  ui::CachedScreens cached(source);
  for (int i = 0; i < 3; ++i) {
    EXPECT_EQ(cached.mainScreen()->visibleFrame, (ui::Rect{0, 0, 1920, 1055}));
    EXPECT_EQ(cached.screens().size(), 1u);
  }
  EXPECT_EQ(source->reads, 2);

  source->screen.visibleFrame = {0, 70, 1920, 1010};
  QScreen* primary = QGuiApplication::primaryScreen();
  ASSERT_NE(primary, nullptr);
  emit primary->availableGeometryChanged(primary->availableGeometry());
  EXPECT_EQ(cached.mainScreen()->visibleFrame, (ui::Rect{0, 70, 1920, 1010}));
  EXPECT_EQ(source->reads, 3);
}

}  // namespace

#include <gtest/gtest.h>

#include <QPainter>
#include <QWidget>
#include <cstdlib>
#include <string>

#include "app/ui/ViewBridge.h"
#include "popover/MenuBarViewController.h"
#include "tests/popover/PopoverFakes.h"
#include "tests/support/EventLoop.h"
#include "tests/support/FakeKeyboardServices.h"

// Renders the popover to PNGs for a person to look at. Runs only when
// GLIMMERBOX_POPOVER_SNAPSHOT_DIR names the folder to write to, on a real
// display (e.g. Xvfb); the offscreen platform has no desktop fonts.
namespace {

constexpr double kCornerRadius = 10;

// Stands in for the popup window: the window colour, rounded, with a hairline.
class PopupBackground : public QWidget {
 protected:
  void paintEvent(QPaintEvent*) override {
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(palette().color(QPalette::Mid));
    painter.setBrush(palette().color(QPalette::Window));
    painter.drawRoundedRect(QRectF(rect()).adjusted(0.5, 0.5, -0.5, -0.5), kCornerRadius,
                            kCornerRadius);
  }
};

void snapshot(bool isTrusted, const std::string& file) {
  testsupport::FakeKeyboardServices keyboard;
  MenuBarViewController controller(MenuBarViewController::Dependencies{
      popover_test::makeDisplayManager(70, "DELL U2720Q"), keyboard.makeInterceptor(),
      std::make_shared<popover_test::FakeLoginItems>(), [](std::int64_t) {}, [] {}});
  controller.updatePermissionBanner(isTrusted);
  const ui::Rect frame = controller.view()->frame();

  PopupBackground host;
  host.setWindowFlags(Qt::FramelessWindowHint);
  host.resize(static_cast<int>(frame.width), static_cast<int>(frame.height));
  ui::bridge::widgetOf(*controller.view())->setParent(&host);
  ui::bridge::widgetOf(*controller.view())->move(0, 0);
  host.show();
  testsupport::runLoopFor(std::chrono::milliseconds(300));
  const bool saved = host.grab().save(QString::fromStdString(file));
  ui::bridge::widgetOf(*controller.view())->setParent(nullptr);  // The view owns its widget.
  EXPECT_TRUE(saved) << file;
}

TEST(PopoverSnapshot, RendersBothLayoutsForReview) {
  const char* folder = std::getenv("GLIMMERBOX_POPOVER_SNAPSHOT_DIR");
  if (folder == nullptr) {
    GTEST_SKIP() << "set GLIMMERBOX_POPOVER_SNAPSHOT_DIR to render";
  }
  snapshot(true, std::string(folder) + "/popover-trusted.png");
  snapshot(false, std::string(folder) + "/popover-banner.png");
}

}  // namespace

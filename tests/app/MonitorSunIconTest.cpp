#include "app/MonitorSunIcon.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <QColor>

#include "platform/tray/TrayIconPixmaps.h"
#include "tests/support/Rendering.h"

namespace {

// As the trays get it: ringed by a halo where the panel's colour is
// unknown, in the tray's own colour where it says.
TEST(MonitorSunIconTest, TrayPixmapsLookAsBefore) {
  const QIcon icon = createMonitorSunIcon();
  const std::tuple<QIcon, int, const char*> cases[] = {
      {platform::trayIconPixmaps(icon, Qt::black, QColor(Qt::white)), 22, "tray-22.png"},
      {platform::trayIconPixmaps(icon, QColor(200, 200, 200), std::nullopt), 64, "tray-64.png"}};
  for (const auto& [pixmaps, side, reference] : cases) {
    EXPECT_THAT(testsupport::differingRegions(pixmaps.pixmap(side, side).toImage(), reference),
                testing::IsEmpty())
        << reference;
  }
}

}  // namespace

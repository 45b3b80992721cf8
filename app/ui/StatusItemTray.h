#pragma once

#include <QObject>
#include <QRect>
#include <QSystemTrayIcon>
#include <functional>
#include <memory>
#include <optional>

#include "app/ui/StatusItem.h"

namespace ui {

// A status item over QSystemTrayIcon: the item is its own button while the
// desktop has a system tray, and has none (showing nothing) otherwise.
class StatusItemTray : public QObject, public StatusItem, public StatusBarButton {
 public:
  StatusItemTray();
  ~StatusItemTray() override;

  StatusBarButton* button() override;
  void setImage(std::shared_ptr<Image> image) override;
  void setAction(std::function<void()> action) override;

  // The icon's rectangle in global screen coordinates, when the tray says.
  std::optional<QRect> iconGeometry() const;

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  void applyImage();

  std::unique_ptr<QSystemTrayIcon> trayIcon_;
  std::shared_ptr<Image> image_;
  std::function<void()> action_;
};

}  // namespace ui

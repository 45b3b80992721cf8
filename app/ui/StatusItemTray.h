#pragma once

#include <QObject>
#include <QRect>
#include <QSystemTrayIcon>
#include <functional>
#include <memory>
#include <optional>

#include "app/ui/StatusItem.h"

namespace ui {

class StatusNotifierItem;

// A status item in the desktop's tray: a StatusNotifierItem of our own when
// a tray watches the session bus, QSystemTrayIcon (XEmbed) otherwise. The
// item is its own button while there is a tray, and has none (showing
// nothing) otherwise.
class StatusItemTray : public QObject, public StatusItem, public StatusBarButton {
 public:
  StatusItemTray();
  ~StatusItemTray() override;

  StatusBarButton* button() override;
  void setImage(std::shared_ptr<Image> image) override;
  void setAction(std::function<void()> action) override;

  // The icon's rectangle in global screen coordinates, when the tray says.
  std::optional<QRect> iconGeometry() const;
  // Where the tray says the icon was last clicked, when it says.
  std::optional<QPoint> lastClick() const { return lastClick_; }

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  void applyImage();

  std::unique_ptr<StatusNotifierItem> notifierItem_;
  std::unique_ptr<QSystemTrayIcon> trayIcon_;
  std::optional<QPoint> lastClick_;
  std::shared_ptr<Image> image_;
  std::function<void()> action_;
};

}  // namespace ui

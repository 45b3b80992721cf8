#pragma once

#include <QObject>
#include <QRect>
#include <QSystemTrayIcon>
#include <QTimer>
#include <functional>
#include <memory>
#include <optional>

#include "platform/tray/StatusItem.h"

class QMenu;

namespace platform {

class StatusNotifierItem;
class StatusNotifierMenu;
class XEmbedTrayColors;

// A status item in the desktop's tray: a StatusNotifierItem of our own while
// a tray watches the session bus, QSystemTrayIcon (XEmbed) where an X11 tray
// runs instead. The item is its own button while there is a tray, and has
// none (showing nothing) otherwise; a tray that starts later is taken up.
class StatusItemTray : public QObject, public StatusItem, public StatusBarButton {
 public:
  StatusItemTray();
  ~StatusItemTray() override;

  StatusBarButton* button() override;
  void setTrayChanged(std::function<void()> changed) override;
  void setImage(QIcon image) override;
  void setAction(std::function<void()> action) override;
  void setScrollAction(std::function<void(bool up)> action) override;
  void setMenu(std::vector<StatusMenuEntry> entries) override;
  void setToolTip(const std::string& text) override;

  // The icon's rectangle in global screen coordinates, when the tray says.
  std::optional<QRect> iconGeometry() const;
  // Where the tray says the icon was last clicked, when it says.
  std::optional<QPoint> lastClick() const { return lastClick_; }

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  void createNotifierItem();
  void watchForTrays();
  void notifierTrayChanged(bool present);
  void lookForXEmbedTray();
  void clicked();
  void applyImage();
  void applyMenu();

  std::unique_ptr<StatusNotifierMenu> menu_;
  std::unique_ptr<StatusNotifierItem> notifierItem_;
  bool inNotifierTray_ = false;
  std::unique_ptr<QSystemTrayIcon> trayIcon_;
  std::unique_ptr<QMenu> trayMenu_;
  std::unique_ptr<XEmbedTrayColors> trayColors_;
  QTimer xembedPoll_;
  std::optional<QPoint> lastClick_;
  QIcon image_;
  std::function<void()> action_;
  std::function<void(bool)> scrollAction_;
  std::vector<StatusMenuEntry> menuEntries_;
  std::function<void()> trayChanged_;
};

}  // namespace platform

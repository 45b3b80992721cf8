#include "app/ui/StatusItemTray.h"

#include <QApplication>
#include <QEvent>
#include <QPalette>

#include "app/ui/ImageBridge.h"
#include "app/ui/StatusNotifierItem.h"

namespace ui {

std::unique_ptr<StatusItem> makeSystemStatusItem() { return std::make_unique<StatusItemTray>(); }

StatusItemTray::StatusItemTray() {
  // A template icon takes the tray's text colour, which follows the theme.
  qApp->installEventFilter(this);
  notifierItem_ = StatusNotifierItem::registerWithTray([this](QPoint click) {
    lastClick_ = click;
    if (action_) {
      action_();
    }
  });
  if (notifierItem_ || !QSystemTrayIcon::isSystemTrayAvailable()) {
    return;
  }
  trayIcon_ = std::make_unique<QSystemTrayIcon>();
  QObject::connect(trayIcon_.get(), &QSystemTrayIcon::activated,
                   [this](QSystemTrayIcon::ActivationReason reason) {
                     if (reason == QSystemTrayIcon::Trigger && action_) {
                       action_();
                     }
                   });
}

StatusItemTray::~StatusItemTray() = default;

StatusBarButton* StatusItemTray::button() { return trayIcon_ || notifierItem_ ? this : nullptr; }

void StatusItemTray::setImage(std::shared_ptr<Image> image) {
  image_ = std::move(image);
  applyImage();
  if (trayIcon_) {
    trayIcon_->show();
  }
}

void StatusItemTray::setAction(std::function<void()> action) { action_ = std::move(action); }

std::optional<QRect> StatusItemTray::iconGeometry() const {
  QRect geometry = trayIcon_ ? trayIcon_->geometry() : QRect();
  if (geometry.isEmpty()) {
    return std::nullopt;
  }
  return geometry;
}

bool StatusItemTray::eventFilter(QObject* watched, QEvent* event) {
  if (watched == qApp && event->type() == QEvent::ApplicationPaletteChange) {
    applyImage();
  }
  return false;
}

void StatusItemTray::applyImage() {
  if (!image_) {
    return;
  }
  const QIcon icon = bridge::iconOf(image_, QApplication::palette().color(QPalette::WindowText));
  if (trayIcon_) {
    trayIcon_->setIcon(icon);
  }
  if (notifierItem_) {
    notifierItem_->setIcon(icon);
  }
}

}  // namespace ui

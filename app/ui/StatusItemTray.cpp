#include "app/ui/StatusItemTray.h"

#include <QApplication>
#include <QEvent>
#include <QPalette>

#include "app/ui/ImageBridge.h"

namespace ui {

std::unique_ptr<StatusItem> makeSystemStatusItem() { return std::make_unique<StatusItemTray>(); }

StatusItemTray::StatusItemTray() {
  if (!QSystemTrayIcon::isSystemTrayAvailable()) {
    return;
  }
  trayIcon_ = std::make_unique<QSystemTrayIcon>();
  QObject::connect(trayIcon_.get(), &QSystemTrayIcon::activated,
                   [this](QSystemTrayIcon::ActivationReason reason) {
                     if (reason == QSystemTrayIcon::Trigger && action_) {
                       action_();
                     }
                   });
  // A template icon takes the tray's text colour, which follows the theme.
  qApp->installEventFilter(this);
}

StatusItemTray::~StatusItemTray() = default;

StatusBarButton* StatusItemTray::button() { return trayIcon_ ? this : nullptr; }

void StatusItemTray::setImage(std::shared_ptr<Image> image) {
  image_ = std::move(image);
  applyImage();
  trayIcon_->show();
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
  if (trayIcon_ && image_) {
    trayIcon_->setIcon(bridge::iconOf(image_, QApplication::palette().color(QPalette::WindowText)));
  }
}

}  // namespace ui

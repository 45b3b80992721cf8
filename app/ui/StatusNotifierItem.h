#pragma once

#include <QDBusVirtualObject>
#include <QIcon>
#include <QPoint>
#include <QString>
#include <functional>
#include <memory>

namespace ui {

// The tray icon as a StatusNotifierItem on the session bus, the tray of
// Plasma, GNOME's AppIndicator extension, swaybar and waybar. Qt's own item
// drops where the tray was clicked, which on Wayland is the only hint of
// where the icon is; this one hands it on.
class StatusNotifierItem : public QDBusVirtualObject {
 public:
  using Activated = std::function<void(QPoint globalClick)>;

  // Null when no tray watches for items on the session bus.
  static std::unique_ptr<StatusNotifierItem> registerWithTray(Activated activated);
  ~StatusNotifierItem() override;

  void setIcon(const QIcon& icon);

  QString introspect(const QString& path) const override;
  bool handleMessage(const QDBusMessage& message, const QDBusConnection& connection) override;

 private:
  explicit StatusNotifierItem(Activated activated);
  bool announce();

  Activated activated_;
  QString serviceName_;
  QIcon icon_;
};

}  // namespace ui

#pragma once

#include <QDBusVirtualObject>
#include <QIcon>
#include <QPoint>
#include <QString>
#include <functional>
#include <memory>

namespace platform {

// The tray icon as a StatusNotifierItem on the session bus, the tray of
// Plasma, GNOME's AppIndicator extension, swaybar and waybar. Qt's own item
// drops where the tray was clicked, which on Wayland is the only hint of
// where the icon is; this one hands it on. Hosts colour the symbolic icon
// they find by name; the pixmaps are for hosts that do not find it.
class StatusNotifierItem : public QDBusVirtualObject {
 public:
  struct Handlers {
    std::function<void(QPoint globalClick)> activated;
    std::function<void(bool up)> scrolled;
  };

  // Null when the session bus refuses the item's name or object. `menuPath`
  // is the item's menu object, which its owner registers.
  static std::unique_ptr<StatusNotifierItem> create(Handlers handlers, QString menuPath);
  ~StatusNotifierItem() override;

  // Hands the item to the tray watcher; false when none takes it.
  bool announce();
  void setIcon(const QIcon& icon);
  void setToolTip(const QString& text);

  QString introspect(const QString& path) const override;
  bool handleMessage(const QDBusMessage& message, const QDBusConnection& connection) override;

 private:
  StatusNotifierItem(Handlers handlers, QString menuPath);
  QVariantMap properties() const;
  void emitSignal(const char* name);

  Handlers handlers_;
  QString menuPath_;
  QString serviceName_;
  QString iconThemePath_;
  QIcon icon_;
  QString toolTip_;
};

}  // namespace platform

#pragma once

#include <QDBusVirtualObject>
#include <cstdint>
#include <memory>

class AppDelegate;

// The program on the session bus, for scripts, compositor key bindings and
// panels: the level as a property they read, write and watch, the key steps
// and the popover (data/dbus/org.glimmerbox.Glimmerbox1.xml). Every call is
// answered on the main thread, where the controller lives.
class BrightnessBusObject : public QDBusVirtualObject {
 public:
  // Null without a session bus, or when another process owns the name.
  static std::shared_ptr<BrightnessBusObject> publish(std::weak_ptr<AppDelegate> controller);
  ~BrightnessBusObject() override;

  QString introspect(const QString& path) const override;
  bool handleMessage(const QDBusMessage& message, const QDBusConnection& connection) override;

 private:
  explicit BrightnessBusObject(std::weak_ptr<AppDelegate> controller);
  void announceLevel(std::int64_t level);

  const std::weak_ptr<AppDelegate> controller_;
};

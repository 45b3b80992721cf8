#pragma once

#include <QDBusVirtualObject>
#include <vector>

#include "platform/tray/StatusItem.h"

namespace platform {

// The tray icon's right-click menu as a com.canonical.dbusmenu object, the
// menu GNOME's AppIndicator extension and Plasma's tray draw for a
// StatusNotifierItem. Flat: a root and its entries, ids 1, 2, ... in order.
class StatusNotifierMenu : public QDBusVirtualObject {
 public:
  static constexpr const char* kPath = "/MenuBar";

  // Registers the menu object on the session bus; false when refused.
  bool registerOnBus();
  ~StatusNotifierMenu() override;

  void setEntries(std::vector<StatusMenuEntry> entries);

  QString introspect(const QString& path) const override;
  bool handleMessage(const QDBusMessage& message, const QDBusConnection& connection) override;

 private:
  QVariantMap entryProperties(int id) const;
  QDBusMessage layoutReply(const QDBusMessage& message) const;
  QDBusMessage groupPropertiesReply(const QDBusMessage& message) const;
  bool hasEntry(int id) const;
  bool refreshCheckMarks();
  void activate(int id);

  std::vector<StatusMenuEntry> entries_;
  std::vector<bool> checkMarksShown_;
  unsigned revision_ = 1;
};

}  // namespace platform

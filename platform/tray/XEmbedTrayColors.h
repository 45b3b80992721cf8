#pragma once

#include <QAbstractNativeEventFilter>
#include <QColor>
#include <functional>
#include <memory>
#include <optional>

namespace platform {

// The foreground colour an X11 system tray (XEmbed) asks its icons to use,
// through the _NET_SYSTEM_TRAY_COLORS property of the tray's manager window
// (Xfce's panel and others publish it; many trays do not). Follows changes
// of the property and of the tray. Only on Qt's xcb platform.
class XEmbedTrayColors : public QAbstractNativeEventFilter {
 public:
  explicit XEmbedTrayColors(std::function<void()> changed);
  ~XEmbedTrayColors() override;
  XEmbedTrayColors(const XEmbedTrayColors&) = delete;
  XEmbedTrayColors& operator=(const XEmbedTrayColors&) = delete;

  // Empty when there is no tray, or it does not say.
  std::optional<QColor> foreground();

  bool nativeEventFilter(const QByteArray& eventType, void* message, qintptr* result) override;

 private:
  struct Impl;
  std::unique_ptr<Impl> impl_;
  std::function<void()> changed_;
};

}  // namespace platform

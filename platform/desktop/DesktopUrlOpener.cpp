#include "platform/desktop/DesktopUrlOpener.h"

#include <QDesktopServices>
#include <QUrl>

namespace platform {

void DesktopUrlOpener::openUrl(const std::string& text) {
  const QUrl url(QString::fromStdString(text), QUrl::StrictMode);
  if (text.empty() || !url.isValid()) {
    return;
  }
  QDesktopServices::openUrl(url);
}

}  // namespace platform

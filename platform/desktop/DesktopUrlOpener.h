#pragma once

#include "platform/desktop/UrlOpener.h"

namespace platform {

// Opens URLs with the desktop's default handler. Main thread only.
class DesktopUrlOpener : public UrlOpener {
 public:
  void openUrl(const std::string& text) override;
};

}  // namespace platform

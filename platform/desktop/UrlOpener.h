#pragma once

#include <string>

namespace platform {

// Opens a URL with the desktop's handler for it.
class UrlOpener {
 public:
  virtual ~UrlOpener() = default;
  // Does nothing when `text` is not a valid URL. Whether the desktop managed
  // to open it is not reported.
  virtual void openUrl(const std::string& text) = 0;
};

}  // namespace platform

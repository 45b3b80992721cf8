#pragma once

#include <string>

namespace platform {

// One desktop notification through org.freedesktop.Notifications on the
// session bus, sent without waiting: without a notification service nothing
// is shown and nothing is reported. Main thread only.
class DesktopNotification {
 public:
  static void show(const std::string& summary, const std::string& body);
};

}  // namespace platform

#pragma once

#include <string>

namespace platform {

// Tells the user in a desktop notification how to give Glimmerbox access to
// the keyboard. Without a notification service nothing is shown and nothing
// is reported. Main thread only.
class DesktopNotificationPrompt {
 public:
  explicit DesktopNotificationPrompt(std::string rulesPath);
  void show();

 private:
  std::string rulesPath_;
};

}  // namespace platform

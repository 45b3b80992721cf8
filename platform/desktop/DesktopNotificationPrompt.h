#pragma once

namespace platform {

// Tells the user in a desktop notification how to give Glimmerbox access to
// the keyboard. Without a notification service nothing is shown and nothing
// is reported. Main thread only.
class DesktopNotificationPrompt {
 public:
  void show();
};

}  // namespace platform

#pragma once

#include "platform/DesktopNotificationPrompt.h"
#include "platform/InputAccessQuery.h"

namespace platform {

// Trusted when /dev/uinput opens for writing and every event device that can
// send a brightness key opens for reading. The prompt is a desktop
// notification.
class LinuxInputAccessQuery : public InputAccessQuery {
 public:
  LinuxInputAccessQuery();
  bool isProcessTrusted(bool prompt) override;

 private:
  DesktopNotificationPrompt prompt_;
};

}  // namespace platform

#include "platform/desktop/DesktopNotificationPrompt.h"

#include "platform/desktop/DesktopNotification.h"

namespace platform {

void DesktopNotificationPrompt::show() {
  DesktopNotification::show(
      "Glimmerbox needs access to the keyboard",
      "To let Glimmerbox take over the brightness keys, start its key service: "
      "sudo systemctl enable --now glimmerbox-keys.socket (the Glimmerbox package does "
      "this when installed).");
}

}  // namespace platform

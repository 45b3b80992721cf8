#pragma once

namespace platform {

// On X11, window managers give a newly shown window the focus only when the
// program's last user-action time is newer than the focused window's. A
// popover opened by a tray's D-Bus click or another start of the program
// follows an action the X server never saw; this brings that time up to
// now first. Does nothing elsewhere. Main thread only.
class XcbUserTime {
 public:
  static void updateToNow();
};

}  // namespace platform

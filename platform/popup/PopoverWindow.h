#pragma once

#include <memory>

class QWidget;

namespace platform {

class StatusBarButton;

// A transient window under a status item's icon: it closes by itself when
// the user clicks anywhere outside it or presses Escape. Its size follows its
// content widget.
class PopoverWindow {
 public:
  virtual ~PopoverWindow() = default;

  // The content stays its caller's: the window gives it back when it goes.
  virtual void setContentView(QWidget* content) = 0;

  // True while shown, and also for a moment after a click outside closed it:
  // that click may have been on the status item's icon, whose action then
  // arrives after the close and must not reopen the popover.
  virtual bool isShown() const = 0;
  virtual void performClose() = 0;

  // Shows the popover under the button's icon, inside the screen's available
  // area; under the pointer when the tray does not tell where the icon is.
  virtual void showRelativeTo(const StatusBarButton& button) = 0;
  // Shows it with no icon to hang from (the desktop has no tray): as a small
  // window of its own at the top right of the primary screen's available
  // area, which closes when it loses the focus.
  virtual void showAsWindow() = 0;
  // Gives the popover the keyboard focus.
  virtual void takeFocus() = 0;
};

std::unique_ptr<PopoverWindow> makePopoverWindow();

}  // namespace platform

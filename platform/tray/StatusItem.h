#pragma once

#include <QIcon>
#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace platform {

// One entry of the menu a tray shows on a right click.
struct StatusMenuEntry {
  std::string label;
  // Set for an entry shown with a check mark: whether it is checked now.
  std::function<bool()> isChecked;
  std::function<void()> activate;
};

// The clickable icon of a status item in the desktop's system tray.
class StatusBarButton {
 public:
  virtual ~StatusBarButton() = default;
  // Only the image's shape shows, tinted to stand out on the tray's panel.
  virtual void setImage(QIcon image) = 0;
  // Called on the main thread each time the user clicks the icon.
  virtual void setAction(std::function<void()> action) = 0;
  // Called on the main thread for each turn of the wheel over the icon.
  virtual void setScrollAction(std::function<void(bool up)> action) = 0;
  // The right-click menu, for trays that offer one.
  virtual void setMenu(std::vector<StatusMenuEntry> entries) = 0;
  virtual void setToolTip(const std::string& text) = 0;
};

// An item in the system tray, shown from creation until it is destroyed.
class StatusItem {
 public:
  virtual ~StatusItem() = default;
  // Null while the desktop offers no system tray: then there is nothing to
  // click and nothing is shown.
  virtual StatusBarButton* button() = 0;
  // Called on the main thread when a tray appears or goes away, so that the
  // button (new or gone) can be set up again.
  virtual void setTrayChanged(std::function<void()> changed) = 0;
};

// Creates an item in the system tray, as wide as its icon.
std::unique_ptr<StatusItem> makeSystemStatusItem();

}  // namespace platform

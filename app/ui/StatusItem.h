#pragma once

#include <functional>
#include <memory>

namespace ui {

class Image;

// The clickable icon of a status item in the desktop's system tray.
class StatusBarButton {
 public:
  virtual ~StatusBarButton() = default;
  // A template image is tinted in the tray's text colour.
  virtual void setImage(std::shared_ptr<Image> image) = 0;
  // Called on the main thread each time the user clicks the icon.
  virtual void setAction(std::function<void()> action) = 0;
};

// An item in the system tray, shown from creation until it is destroyed.
class StatusItem {
 public:
  virtual ~StatusItem() = default;
  // Null when the desktop offers no system tray: then there is nothing to
  // click and nothing is shown.
  virtual StatusBarButton* button() = 0;
};

// Creates an item in the system tray, as wide as its icon.
std::unique_ptr<StatusItem> makeSystemStatusItem();

}  // namespace ui

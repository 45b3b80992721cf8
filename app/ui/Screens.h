#pragma once

#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "app/ui/Geometry.h"

namespace ui {

// One attached screen. Frames are in global unflipped points: origin at the
// lower-left corner of the primary screen, y upwards.
struct Screen {
  std::string localizedName;  // May be empty.
  Rect frame;
  Rect visibleFrame;  // The frame minus panels and docks.
};

// The attached screens, in the platform's order, and the optional main screen.
class Screens {
 public:
  virtual ~Screens() = default;
  virtual std::vector<Screen> screens() const = 0;
  virtual std::optional<Screen> mainScreen() const = 0;
};

// The screens of the running application.
std::shared_ptr<Screens> systemScreens();

}  // namespace ui

#pragma once

#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace platform {

// A rectangle in Qt's global coordinates: origin at the primary screen's
// top-left corner, y downwards, in device-independent pixels.
struct Rect {
  int x = 0;
  int y = 0;
  int width = 0;
  int height = 0;
  friend bool operator==(const Rect&, const Rect&) = default;
};

// One attached screen.
struct Screen {
  std::string localizedName;  // May be empty.
  Rect frame;
  Rect visibleFrame;  // The frame minus panels and docks.
  // The kernel's connector ("HDMI-A-1") where known, else the display
  // server's name for the output.
  std::string connector = {};
  std::string identity = {};    // The monitor's EDID identity; empty when unknown.
  std::string outputName = {};  // The display server's name for the output (QScreen::name()).
};

// The attached screens, in the platform's order, and the optional main screen.
class Screens {
 public:
  virtual ~Screens() = default;
  virtual std::vector<Screen> screens() const = 0;
  virtual std::optional<Screen> mainScreen() const = 0;
  // The outputName of the screen under the pointer, where the session lets
  // the program know; nothing elsewhere.
  virtual std::optional<std::string> outputUnderPointer() const { return std::nullopt; }
};

// The screens of the running application.
std::shared_ptr<Screens> systemScreens();

}  // namespace platform

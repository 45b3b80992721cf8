#pragma once

#include <memory>

#include "app/ui/Panel.h"

namespace ui {

// Owns a window and keeps it for its own life. A subclass builds its window
// first and hands it over at the end of its construction.
class WindowController {
 public:
  virtual ~WindowController() = default;
  WindowController(const WindowController&) = delete;
  WindowController& operator=(const WindowController&) = delete;

  const std::shared_ptr<Panel>& window() const { return window_; }

 protected:
  WindowController() = default;
  void initWithWindow(std::shared_ptr<Panel> window) { window_ = std::move(window); }

 private:
  std::shared_ptr<Panel> window_;
};

}  // namespace ui

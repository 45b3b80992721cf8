#pragma once

#include "app/ui/Application.h"

namespace ui {

// The application object over QApplication. Creates the QApplication when
// none exists yet, and lets the program live on when its last window closes:
// the tray utility has no main window.
class QtApplication : public Application {
 public:
  QtApplication();

  void setDelegate(std::weak_ptr<ApplicationDelegate> delegate) override;
  int run() override;
  void terminate() override;

 private:
  std::weak_ptr<ApplicationDelegate> delegate_;
};

}  // namespace ui

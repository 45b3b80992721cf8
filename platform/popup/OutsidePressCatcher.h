#pragma once

#include <QRasterWindow>
#include <functional>

namespace platform {

// A transparent window laid over a whole output, under a popup on the layer
// shell, whose only job is to notice a press outside the popup: there no
// press outside the program reaches it, and a press on the empty desktop
// moves no keyboard focus either. The press goes no further, as with a menu;
// the window never takes the keyboard. It goes when the popup hides.
class OutsidePressCatcher : public QRasterWindow {
 public:
  OutsidePressCatcher(QWindow& popup, std::function<void()> pressed);

 protected:
  bool event(QEvent* event) override;
  void paintEvent(QPaintEvent* event) override;

 private:
  void uncover();

  std::function<void()> pressed_;
};

}  // namespace platform

#pragma once

#include <QPointer>
#include <QWidget>
#include <chrono>
#include <memory>
#include <optional>

#include "platform/popup/PopoverWindow.h"
#include "platform/popup/XwaylandPressCatcher.h"

namespace platform {

class LayerShell;
class StatusItemTray;

// The popover as a frameless Qt popup window holding one content widget.
// Qt closes a popup on any press outside it; this class remembers when that
// happened so the press that closed it cannot reopen it. Without a tray it
// is a frameless window of its own instead, which closes when it loses the
// focus.
class PopoverWindowPopup : public QWidget, public PopoverWindow {
 public:
  PopoverWindowPopup();
  ~PopoverWindowPopup() override;

  void setContentView(QWidget* content) override;
  bool isShown() const override;
  void performClose() override;
  void showRelativeTo(const StatusBarButton& button) override;
  void showAsWindow() override;
  void takeFocus() override;

 protected:
  bool event(QEvent* event) override;
  void keyPressEvent(QKeyEvent* event) override;
  bool eventFilter(QObject* watched, QEvent* event) override;
  void closeEvent(QCloseEvent* event) override;
  void changeEvent(QEvent* event) override;

 private:
  void useOwnWindow(bool ownWindow);
  void showAt(const QRect& anchor, const StatusItemTray* tray);
  void followContentSize();
  void placeOnLayerShell(LayerShell& shell, const StatusItemTray* tray);

  XwaylandPressCatcher pressCatcher_;
  QPointer<QWidget> content_;
  bool ownWindow_ = false;
  bool closingOnRequest_ = false;
  std::optional<std::chrono::steady_clock::time_point> closedByOutsidePressAt_;
};

}  // namespace platform

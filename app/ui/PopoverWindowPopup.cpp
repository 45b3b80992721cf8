#include "app/ui/PopoverWindowPopup.h"

#include <QCloseEvent>
#include <QCursor>
#include <QGuiApplication>
#include <QScreen>

#include "app/ui/PopoverWindowPlacement.h"
#include "app/ui/StatusItemTray.h"
#include "app/ui/ViewBridge.h"

namespace ui {

namespace {

// How long after a click outside closed the popover it still counts as shown.
// The tray delivers that click's activation a few milliseconds after the
// close; a deliberate second click comes far later.
constexpr std::chrono::milliseconds outsidePressGrace{250};

QRect anchorFor(const StatusBarButton& button) {
  if (auto* tray = dynamic_cast<const StatusItemTray*>(&button)) {
    if (auto geometry = tray->iconGeometry()) {
      return *geometry;
    }
  }
  return QRect(QCursor::pos(), QSize(0, 0));
}

QRect availableAreaAround(const QRect& anchor) {
  QScreen* screen = QGuiApplication::screenAt(anchor.center());
  if (screen == nullptr) {
    screen = QGuiApplication::primaryScreen();
  }
  return screen ? screen->availableGeometry() : QRect();
}

}  // namespace

std::unique_ptr<PopoverWindow> makePopoverWindow() {
  return std::make_unique<PopoverWindowPopup>();
}

PopoverWindowPopup::PopoverWindowPopup() : QWidget(nullptr, Qt::Popup | Qt::FramelessWindowHint) {
  setAttribute(Qt::WA_DeleteOnClose, false);
}

PopoverWindowPopup::~PopoverWindowPopup() {
  if (content_) {
    content_->setParent(nullptr);  // The view owns its widget, not this window.
  }
}

void PopoverWindowPopup::setContentView(std::shared_ptr<View> view) {
  if (content_) {
    content_->removeEventFilter(this);
    content_->setParent(nullptr);
  }
  contentView_ = std::move(view);
  content_ = contentView_ ? bridge::widgetOf(*contentView_) : nullptr;
  if (content_) {
    content_->setParent(this);
    content_->move(0, 0);
    content_->show();
    content_->installEventFilter(this);
    followContentSize();
  }
}

bool PopoverWindowPopup::isShown() const {
  if (isVisible()) {
    return true;
  }
  return closedByOutsidePressAt_ &&
         std::chrono::steady_clock::now() - *closedByOutsidePressAt_ < outsidePressGrace;
}

void PopoverWindowPopup::performClose() {
  closingOnRequest_ = true;
  close();
  closingOnRequest_ = false;
}

void PopoverWindowPopup::showRelativeTo(const StatusBarButton& button) {
  closedByOutsidePressAt_.reset();
  followContentSize();
  QRect anchor = anchorFor(button);
  move(popoverWindowOrigin(anchor, size(), availableAreaAround(anchor)));
  show();
}

void PopoverWindowPopup::makeKeyWindow() {
  activateWindow();
  setFocus(Qt::PopupFocusReason);
}

bool PopoverWindowPopup::eventFilter(QObject* watched, QEvent* event) {
  if (watched == content_ && event->type() == QEvent::Resize) {
    followContentSize();
  }
  return false;
}

void PopoverWindowPopup::closeEvent(QCloseEvent* event) {
  if (!closingOnRequest_) {
    closedByOutsidePressAt_ = std::chrono::steady_clock::now();
  }
  QWidget::closeEvent(event);
}

void PopoverWindowPopup::followContentSize() {
  if (content_) {
    setFixedSize(content_->size());
  }
}

}  // namespace ui

#include "platform/popup/PopoverWindowPopup.h"

#include <QCloseEvent>
#include <QCursor>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QScreen>

#include "platform/popup/LayerShell.h"
#include "platform/popup/PopoverWindowPlacement.h"
#include "platform/popup/XcbUserTime.h"
#include "platform/tray/StatusItemTray.h"

namespace platform {

namespace {

// How long after a click outside closed the popover it still counts as shown.
// The tray delivers that click's activation a few milliseconds after the
// close; a deliberate second click comes far later.
constexpr std::chrono::milliseconds outsidePressGrace{250};

constexpr Qt::WindowFlags popupFlags = Qt::Popup | Qt::FramelessWindowHint;
// A dialog, which window managers keep floating and give the focus. GNOME
// puts it where it asks to be; sway centres it.
constexpr Qt::WindowFlags ownWindowFlags =
    Qt::Dialog | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint;

const StatusItemTray* trayOf(const StatusBarButton& button) {
  return dynamic_cast<const StatusItemTray*>(&button);
}

// On Xwayland the pointer's last place over the compositor's own panel
// never reaches X11, so the pointer says nothing about where the tray is;
// nor does a popup's pointer grab see presses on Wayland surfaces, unless an
// X11 window of ours lies under them.
bool onXwayland() {
  return QGuiApplication::platformName() == "xcb" &&
         !qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY");
}

// The tray's icon; else where the tray says it was clicked; else the
// pointer, which has just clicked it, or on Xwayland the available area's
// top right corner, where most desktops keep the tray.
QRect anchorFor(const StatusBarButton& button) {
  const StatusItemTray* tray = trayOf(button);
  if (std::optional<QRect> icon = tray ? tray->iconGeometry() : std::nullopt) {
    return *icon;
  }
  if (std::optional<QPoint> click = tray ? tray->lastClick() : std::nullopt) {
    return QRect(*click, QSize(0, 0));
  }
  QScreen* screen = QGuiApplication::primaryScreen();
  if (onXwayland() && screen != nullptr) {
    const QRect available = screen->availableGeometry();
    return QRect(available.x() + available.width(), available.y(), 0, 0);
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

PopoverWindowPopup::PopoverWindowPopup() : QWidget(nullptr, popupFlags) {
  setAttribute(Qt::WA_DeleteOnClose, false);
  if (LayerShell::instance() != nullptr) {
    setWindowFlag(Qt::BypassWindowManagerHint);
  }
}

PopoverWindowPopup::~PopoverWindowPopup() {
  if (content_) {
    content_->setParent(nullptr);  // Its caller owns it, not this window.
  }
}

void PopoverWindowPopup::setContentView(QWidget* content) {
  if (content_) {
    content_->removeEventFilter(this);
    content_->setParent(nullptr);
  }
  content_ = content;
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
  closedByOutsidePressAt_.reset();
  if (!isVisible()) {
    return;
  }
  closingOnRequest_ = true;
  close();
  closingOnRequest_ = false;
}

void PopoverWindowPopup::showRelativeTo(const StatusBarButton& button) {
  useOwnWindow(false);
  if (onXwayland()) {
    pressCatcher_.spread();
  }
  showAt(anchorFor(button), trayOf(button));
}

void PopoverWindowPopup::showAsWindow() {
  useOwnWindow(true);
  QScreen* screen = QGuiApplication::primaryScreen();
  const QRect available = screen ? screen->availableGeometry() : QRect();
  showAt(QRect(available.x() + available.width(), available.y(), 0, 0), nullptr);
}

// The layer shell places the window as a surface of its own either way.
void PopoverWindowPopup::useOwnWindow(bool ownWindow) {
  if (LayerShell::instance() != nullptr || ownWindow == ownWindow_) {
    return;
  }
  ownWindow_ = ownWindow;
  setWindowFlags(ownWindow ? ownWindowFlags : popupFlags);
}

void PopoverWindowPopup::showAt(const QRect& anchor, const StatusItemTray* tray) {
  closedByOutsidePressAt_.reset();
  followContentSize();
  move(popoverWindowOrigin(anchor, size(), availableAreaAround(anchor)));
  if (ownWindow_) {
    XcbUserTime::updateToNow();  // Else the window manager may keep the focus elsewhere.
  }
  show();
  if (LayerShell* shell = LayerShell::instance()) {
    placeOnLayerShell(*shell, tray);
  }
}

// A tray on D-Bus (StatusNotifierItem), the rule on Wayland, tells where it
// was clicked but not where its icon is: the popover then goes next to the
// panel at that place. Opened without a click it goes to the top panel's
// right end, where most desktops keep the tray. Over full-screen windows
// too, so that what catches a press outside it stays below it.
void PopoverWindowPopup::placeOnLayerShell(LayerShell& shell, const StatusItemTray* tray) {
  const LayerShell::Placement placement{.overlay = true, .takesKeyboard = true};
  const std::optional<QPoint> click = tray ? tray->lastClick() : std::nullopt;
  QScreen* screen = click ? QGuiApplication::screenAt(*click) : nullptr;
  screen = screen ? screen : QGuiApplication::primaryScreen();
  if (screen == nullptr) {
    return;
  }
  if (tray != nullptr && tray->iconGeometry()) {
    shell.placeAt(*windowHandle(), geometry(), placement);
  } else {
    const QRect output = screen->geometry();
    shell.placeNextToPanel(*windowHandle(), *screen, click.value_or(output.topRight()), placement);
  }
  // That press reaches no tray, so no activation follows it.
  shell.closeOnOutsidePress(*windowHandle(), *screen, [this] { performClose(); });
}

void PopoverWindowPopup::takeFocus() {
  activateWindow();
  setFocus(Qt::PopupFocusReason);
}

// A click elsewhere takes the focus from a window of its own.
bool PopoverWindowPopup::event(QEvent* event) {
  const bool handled = QWidget::event(event);
  if (event->type() == QEvent::WindowDeactivate && ownWindow_ && isVisible()) {
    close();
  }
  return handled;
}

void PopoverWindowPopup::keyPressEvent(QKeyEvent* event) {
  if (event->matches(QKeySequence::Cancel)) {
    performClose();
    return;
  }
  QWidget::keyPressEvent(event);
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
  pressCatcher_.hide();
  if (LayerShell* shell = LayerShell::instance(); shell != nullptr && windowHandle()) {
    shell->release(*windowHandle());
  }
  QWidget::closeEvent(event);
}

// On the layer shell a press outside is caught for the popup; the keyboard
// going to another window (a shortcut, a window raised) closes it too.
void PopoverWindowPopup::changeEvent(QEvent* event) {
  if (event->type() == QEvent::ActivationChange && LayerShell::instance() != nullptr &&
      isVisible() && !isActiveWindow()) {
    close();
  }
  QWidget::changeEvent(event);
}

void PopoverWindowPopup::followContentSize() {
  if (content_) {
    setFixedSize(content_->size());
  }
}

}  // namespace platform

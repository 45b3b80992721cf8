#include "platform/tray/StatusItemTray.h"

#include <QApplication>
#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QDBusServiceWatcher>
#include <QEvent>
#include <QMenu>
#include <QPalette>

#include "platform/tray/StatusNotifierItem.h"
#include "platform/tray/StatusNotifierMenu.h"
#include "platform/tray/TrayIconPixmaps.h"
#include "platform/tray/XEmbedTrayColors.h"

namespace platform {
namespace {

constexpr const char* kWatcher = "org.kde.StatusNotifierWatcher";
// How often to look for an X11 tray while there is none: the tray
// announces itself to the root window, which Qt does not pass on.
constexpr std::chrono::seconds kXEmbedPollInterval{1};

bool notifierTrayIsWatching() {
  const QDBusConnectionInterface* bus = QDBusConnection::sessionBus().interface();
  return bus != nullptr && bus->isServiceRegistered(kWatcher);
}

}  // namespace

std::unique_ptr<StatusItem> makeSystemStatusItem() { return std::make_unique<StatusItemTray>(); }

StatusItemTray::StatusItemTray() {
  // The icon's colours follow the theme.
  qApp->installEventFilter(this);
  createNotifierItem();
  watchForTrays();
  if (!inNotifierTray_) {
    lookForXEmbedTray();
  }
}

StatusItemTray::~StatusItemTray() = default;

void StatusItemTray::createNotifierItem() {
  if (!QDBusConnection::sessionBus().isConnected()) {
    return;
  }
  menu_ = std::make_unique<StatusNotifierMenu>();
  if (!menu_->registerOnBus()) {
    menu_.reset();
    return;
  }
  notifierItem_ = StatusNotifierItem::create({.activated =
                                                  [this](QPoint click) {
                                                    lastClick_ = click;
                                                    clicked();
                                                  },
                                              .scrolled =
                                                  [this](bool up) {
                                                    if (scrollAction_) {
                                                      scrollAction_(up);
                                                    }
                                                  }},
                                             StatusNotifierMenu::kPath);
  inNotifierTray_ = notifierItem_ && notifierTrayIsWatching() && notifierItem_->announce();
}

// A tray on D-Bus that starts, restarts (a bar reloaded, an extension
// enabled) or stops; an X11 tray that starts while there is none.
void StatusItemTray::watchForTrays() {
  if (notifierItem_) {
    auto* watcher = new QDBusServiceWatcher(kWatcher, QDBusConnection::sessionBus(),
                                            QDBusServiceWatcher::WatchForOwnerChange, this);
    connect(watcher, &QDBusServiceWatcher::serviceOwnerChanged, this,
            [this](const QString&, const QString&, const QString& newOwner) {
              notifierTrayChanged(!newOwner.isEmpty() && notifierItem_->announce());
            });
  }
  xembedPoll_.setInterval(kXEmbedPollInterval);
  connect(&xembedPoll_, &QTimer::timeout, this, &StatusItemTray::lookForXEmbedTray);
}

void StatusItemTray::notifierTrayChanged(bool present) {
  const bool hadButton = button() != nullptr;
  inNotifierTray_ = present;
  if (present && trayIcon_) {
    trayIcon_.reset();  // One icon is enough; the D-Bus tray tells where it was clicked.
  }
  if (!present) {
    lookForXEmbedTray();
  }
  if ((button() != nullptr) != hadButton && trayChanged_) {
    trayChanged_();
  }
}

void StatusItemTray::lookForXEmbedTray() {
  if (trayIcon_ || inNotifierTray_ || QGuiApplication::platformName() != "xcb") {
    xembedPoll_.stop();
    return;
  }
  if (!QSystemTrayIcon::isSystemTrayAvailable()) {
    xembedPoll_.start();
    return;
  }
  xembedPoll_.stop();
  trayColors_ = std::make_unique<XEmbedTrayColors>([this] { applyImage(); });
  trayIcon_ = std::make_unique<QSystemTrayIcon>();
  connect(trayIcon_.get(), &QSystemTrayIcon::activated, this,
          [this](QSystemTrayIcon::ActivationReason reason) {
            if (reason == QSystemTrayIcon::Trigger || reason == QSystemTrayIcon::MiddleClick) {
              clicked();
            }
          });
  applyImage();
  applyMenu();
  if (trayChanged_) {
    trayChanged_();
  }
}

StatusBarButton* StatusItemTray::button() { return trayIcon_ || inNotifierTray_ ? this : nullptr; }

void StatusItemTray::setTrayChanged(std::function<void()> changed) {
  trayChanged_ = std::move(changed);
}

void StatusItemTray::clicked() {
  if (action_) {
    action_();
  }
}

void StatusItemTray::setImage(QIcon image) {
  image_ = std::move(image);
  applyImage();
}

void StatusItemTray::setAction(std::function<void()> action) { action_ = std::move(action); }

void StatusItemTray::setScrollAction(std::function<void(bool up)> action) {
  scrollAction_ = std::move(action);
}

void StatusItemTray::setMenu(std::vector<StatusMenuEntry> entries) {
  menuEntries_ = std::move(entries);
  applyMenu();
}

void StatusItemTray::setToolTip(const std::string& text) {
  if (trayIcon_) {
    trayIcon_->setToolTip(QString::fromStdString(text));
  }
  if (notifierItem_) {
    notifierItem_->setToolTip(QString::fromStdString(text));
  }
}

std::optional<QRect> StatusItemTray::iconGeometry() const {
  QRect geometry = trayIcon_ ? trayIcon_->geometry() : QRect();
  if (geometry.isEmpty()) {
    return std::nullopt;
  }
  return geometry;
}

bool StatusItemTray::eventFilter(QObject* watched, QEvent* event) {
  if (watched == qApp && event->type() == QEvent::ApplicationPaletteChange) {
    applyImage();
  }
  return false;
}

// An X11 tray may say which colour its icons should take; otherwise the
// panel's colour is unknown, and the figure gets a halo in the contrasting
// colour of the palette.
void StatusItemTray::applyImage() {
  if (image_.isNull()) {
    return;
  }
  const QPalette palette = QApplication::palette();
  const QColor figure = palette.color(QPalette::WindowText);
  const QColor halo = palette.color(QPalette::Window);
  if (trayIcon_) {
    const std::optional<QColor> asked = trayColors_->foreground();
    trayIcon_->setIcon(asked ? trayIconPixmaps(image_, *asked, std::nullopt)
                             : trayIconPixmaps(image_, figure, halo));
    trayIcon_->show();  // Qt shows no icon before it has an image.
  }
  if (notifierItem_) {
    notifierItem_->setIcon(trayIconPixmaps(image_, figure, halo));
  }
}

void StatusItemTray::applyMenu() {
  if (menu_) {
    menu_->setEntries(menuEntries_);
  }
  if (!trayIcon_) {
    return;
  }
  trayMenu_ = std::make_unique<QMenu>();
  for (const StatusMenuEntry& entry : menuEntries_) {
    QAction* action = trayMenu_->addAction(QString::fromStdString(entry.label));
    connect(action, &QAction::triggered, this, [activate = entry.activate] { activate(); });
    if (entry.isChecked) {
      action->setCheckable(true);
      connect(trayMenu_.get(), &QMenu::aboutToShow, action,
              [action, isChecked = entry.isChecked] { action->setChecked(isChecked()); });
    }
  }
  trayIcon_->setContextMenu(trayMenu_.get());
}

}  // namespace platform

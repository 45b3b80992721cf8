#include "platform/tray/XEmbedTrayColors.h"

#include <xcb/xcb.h>

#include <QGuiApplication>
#include <cstdlib>
#include <string>

#include <X11/Xlib.h>

namespace platform {
namespace {

// foreground, error, warning, success: each red, green, blue in 0..65535.
constexpr std::uint32_t kColourWords = 12;

xcb_atom_t atom(xcb_connection_t* connection, const std::string& name) {
  xcb_intern_atom_reply_t* reply = xcb_intern_atom_reply(
      connection,
      xcb_intern_atom(connection, 0, static_cast<std::uint16_t>(name.size()), name.c_str()),
      nullptr);
  const xcb_atom_t value = reply != nullptr ? reply->atom : xcb_atom_t{XCB_ATOM_NONE};
  std::free(reply);
  return value;
}

}  // namespace

struct XEmbedTrayColors::Impl {
  xcb_connection_t* connection = nullptr;
  xcb_atom_t selection = XCB_ATOM_NONE;
  xcb_atom_t colours = XCB_ATOM_NONE;
  xcb_window_t watched = XCB_WINDOW_NONE;

  xcb_window_t trayOwner() {
    xcb_get_selection_owner_reply_t* reply = xcb_get_selection_owner_reply(
        connection, xcb_get_selection_owner(connection, selection), nullptr);
    const xcb_window_t owner = reply != nullptr ? reply->owner : xcb_window_t{XCB_WINDOW_NONE};
    std::free(reply);
    return owner;
  }

  // Property changes of the tray's window reach the event filter from now on.
  void watch(xcb_window_t window) {
    if (window == watched || window == XCB_WINDOW_NONE) {
      return;
    }
    const std::uint32_t mask = XCB_EVENT_MASK_PROPERTY_CHANGE | XCB_EVENT_MASK_STRUCTURE_NOTIFY;
    xcb_change_window_attributes(connection, window, XCB_CW_EVENT_MASK, &mask);
    xcb_flush(connection);
    watched = window;
  }

  std::optional<QColor> read(xcb_window_t window) {
    xcb_get_property_reply_t* reply = xcb_get_property_reply(
        connection,
        xcb_get_property(connection, 0, window, colours, XCB_ATOM_CARDINAL, 0, kColourWords),
        nullptr);
    std::optional<QColor> colour;
    if (reply != nullptr && reply->format == 32 &&
        xcb_get_property_value_length(reply) >= static_cast<int>(3 * sizeof(std::uint32_t))) {
      const auto* words = static_cast<const std::uint32_t*>(xcb_get_property_value(reply));
      colour = QColor::fromRgba64(static_cast<quint16>(words[0]), static_cast<quint16>(words[1]),
                                  static_cast<quint16>(words[2]));
    }
    std::free(reply);
    return colour;
  }
};

XEmbedTrayColors::XEmbedTrayColors(std::function<void()> changed)
    : impl_(std::make_unique<Impl>()), changed_(std::move(changed)) {
  auto* x11 = qGuiApp->nativeInterface<QNativeInterface::QX11Application>();
  if (x11 == nullptr) {
    return;
  }
  impl_->connection = x11->connection();
  const int screen = DefaultScreen(x11->display());
  impl_->selection = atom(impl_->connection, "_NET_SYSTEM_TRAY_S" + std::to_string(screen));
  impl_->colours = atom(impl_->connection, "_NET_SYSTEM_TRAY_COLORS");
  qGuiApp->installNativeEventFilter(this);
}

XEmbedTrayColors::~XEmbedTrayColors() {
  if (impl_->connection != nullptr) {
    qGuiApp->removeNativeEventFilter(this);
  }
}

std::optional<QColor> XEmbedTrayColors::foreground() {
  if (impl_->connection == nullptr) {
    return std::nullopt;
  }
  const xcb_window_t owner = impl_->trayOwner();
  impl_->watch(owner);
  return owner == XCB_WINDOW_NONE ? std::nullopt : impl_->read(owner);
}

bool XEmbedTrayColors::nativeEventFilter(const QByteArray& eventType, void* message, qintptr*) {
  if (eventType != "xcb_generic_event_t") {
    return false;
  }
  const auto* event = static_cast<const xcb_generic_event_t*>(message);
  const std::uint8_t type = event->response_type & ~0x80;
  if (type == XCB_PROPERTY_NOTIFY) {
    const auto* notify = reinterpret_cast<const xcb_property_notify_event_t*>(event);
    if (notify->window == impl_->watched && notify->atom == impl_->colours) {
      changed_();
    }
  } else if (type == XCB_DESTROY_NOTIFY &&
             reinterpret_cast<const xcb_destroy_notify_event_t*>(event)->window == impl_->watched) {
    impl_->watched = XCB_WINDOW_NONE;
  }
  return false;
}

}  // namespace platform

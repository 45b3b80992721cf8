#include "platform/popup/LayerShell.h"

#include <wayland-client.h>

#include <qpa/qplatformnativeinterface.h>
#include <QGuiApplication>
#include <QPointer>
#include <QScreen>
#include <QWindow>
#include <algorithm>
#include <cstring>
#include <map>
#include <optional>

#include "platform/popup/OutsidePressCatcher.h"
#include "platform/popup/PanelBand.h"

// The protocol names an argument "namespace", a keyword in C++.
#define namespace layerNamespace
#include "wlr-layer-shell-unstable-v1-client.h"
#undef namespace

namespace platform {
namespace {

constexpr std::uint32_t kNewestVersion = 4;  // The first with on-demand keyboard focus.
constexpr const char* kNamespace = "glimmerbox";

// What the layer shell is told about one window.
struct Request {
  wl_output* output = nullptr;
  std::uint32_t anchors = 0;
  QMargins margins;
  std::int32_t exclusiveZone = 0;
  QSize size;
  LayerShell::Placement placement;
};

struct Surface {
  wl_surface* surface = nullptr;
  zwlr_layer_surface_v1* layer = nullptr;
};

QPlatformNativeInterface* native() { return QGuiApplication::platformNativeInterface(); }

wl_output* outputOf(QScreen& screen) {
  return static_cast<wl_output*>(native()->nativeResourceForScreen("output", &screen));
}

void acknowledge(void*, zwlr_layer_surface_v1* layer, std::uint32_t serial, std::uint32_t,
                 std::uint32_t) {
  zwlr_layer_surface_v1_ack_configure(layer, serial);
}

// Its output went away; the window comes back on the next show.
void closed(void*, zwlr_layer_surface_v1*) {}

constexpr zwlr_layer_surface_v1_listener kSurfaceListener{&acknowledge, &closed};

void noteProbeSize(void* data, zwlr_layer_surface_v1*, std::uint32_t, std::uint32_t width,
                   std::uint32_t height) {
  *static_cast<std::optional<QSize>*>(data) =
      QSize(static_cast<int>(width), static_cast<int>(height));
}

constexpr zwlr_layer_surface_v1_listener kProbeListener{&noteProbeSize, &closed};

void ignoreRemoval(void*, wl_registry*, std::uint32_t) {}

}  // namespace

struct LayerShell::Impl {
  wl_display* display = nullptr;
  wl_event_queue* queue = nullptr;
  wl_display* displayOnQueue = nullptr;
  wl_registry* registry = nullptr;
  zwlr_layer_shell_v1* shell = nullptr;
  wl_compositor* compositor = nullptr;
  std::uint32_t version = 0;
  std::map<QWindow*, Surface> surfaces;
  std::map<QWindow*, QPointer<OutsidePressCatcher>> catchers;

  static void noteShell(void* data, wl_registry* registry, std::uint32_t name,
                        const char* interface, std::uint32_t version) {
    auto* impl = static_cast<Impl*>(data);
    if (std::strcmp(interface, zwlr_layer_shell_v1_interface.name) == 0) {
      impl->version = std::min(version, kNewestVersion);
      impl->shell = static_cast<zwlr_layer_shell_v1*>(
          wl_registry_bind(registry, name, &zwlr_layer_shell_v1_interface, impl->version));
    }
  }

  static constexpr wl_registry_listener kRegistryListener{&noteShell, &ignoreRemoval};

  ~Impl() {
    for (auto& [window, surface] : surfaces) {
      zwlr_layer_surface_v1_destroy(surface.layer);
    }
    if (shell != nullptr) {
      if (version >= ZWLR_LAYER_SHELL_V1_DESTROY_SINCE_VERSION) {
        zwlr_layer_shell_v1_destroy(shell);
      } else {
        wl_proxy_destroy(reinterpret_cast<wl_proxy*>(shell));
      }
    }
    if (compositor != nullptr) {
      wl_proxy_wrapper_destroy(compositor);
    }
    if (registry != nullptr) {
      wl_registry_destroy(registry);
    }
    if (displayOnQueue != nullptr) {
      wl_proxy_wrapper_destroy(displayOnQueue);
    }
    if (queue != nullptr) {
      wl_event_queue_destroy(queue);
    }
  }

  // The shell's objects live on a queue of their own, so a surface's first
  // configure can be awaited without running Qt's event handlers.
  bool connect(wl_display* qtDisplay) {
    display = qtDisplay;
    queue = wl_display_create_queue(display);
    displayOnQueue = static_cast<wl_display*>(wl_proxy_create_wrapper(display));
    wl_proxy_set_queue(reinterpret_cast<wl_proxy*>(displayOnQueue), queue);
    registry = wl_display_get_registry(displayOnQueue);
    wl_registry_add_listener(registry, &kRegistryListener, this);
    auto* qtCompositor = native()->nativeResourceForIntegration("compositor");
    if (qtCompositor != nullptr) {
      compositor = static_cast<wl_compositor*>(wl_proxy_create_wrapper(qtCompositor));
      wl_proxy_set_queue(reinterpret_cast<wl_proxy*>(compositor), queue);
    }
    return wl_display_roundtrip_queue(display, queue) >= 0 && shell != nullptr &&
           compositor != nullptr;
  }

  // Whether the compositor keeps layer surfaces clear of the panels on
  // `output`: a surface stretched over it that asks for no room of its own
  // is offered only what the panels leave.
  bool keepsClearOfPanels(wl_output* output, QSize outputSize) {
    wl_surface* surface = wl_compositor_create_surface(compositor);
    zwlr_layer_surface_v1* probe = zwlr_layer_shell_v1_get_layer_surface(
        shell, surface, output, ZWLR_LAYER_SHELL_V1_LAYER_TOP, kNamespace);
    std::optional<QSize> offered;
    zwlr_layer_surface_v1_add_listener(probe, &kProbeListener, &offered);
    zwlr_layer_surface_v1_set_anchor(
        probe, ZWLR_LAYER_SURFACE_V1_ANCHOR_TOP | ZWLR_LAYER_SURFACE_V1_ANCHOR_BOTTOM |
                   ZWLR_LAYER_SURFACE_V1_ANCHOR_LEFT | ZWLR_LAYER_SURFACE_V1_ANCHOR_RIGHT);
    wl_surface_commit(surface);
    wl_display_roundtrip_queue(display, queue);
    zwlr_layer_surface_v1_destroy(probe);
    wl_surface_destroy(surface);
    return offered && *offered != outputSize;
  }

  std::uint32_t keyboardMode(bool takesKeyboard) const {
    if (!takesKeyboard ||
        version < ZWLR_LAYER_SURFACE_V1_KEYBOARD_INTERACTIVITY_ON_DEMAND_SINCE_VERSION) {
      return ZWLR_LAYER_SURFACE_V1_KEYBOARD_INTERACTIVITY_NONE;  // Never steal the typing.
    }
    return ZWLR_LAYER_SURFACE_V1_KEYBOARD_INTERACTIVITY_ON_DEMAND;
  }

  // Qt makes a new surface each time a window is shown; a new surface needs
  // a new layer surface.
  Surface& layerFor(QWindow& window, wl_surface* surface, const Request& request, bool& fresh) {
    if (!surfaces.contains(&window)) {
      QObject::connect(&window, &QObject::destroyed, [this, &window] { release(window); });
    }
    Surface& entry = surfaces[&window];
    fresh = entry.surface != surface;
    if (fresh) {
      if (entry.layer != nullptr) {
        zwlr_layer_surface_v1_destroy(entry.layer);
      }
      const std::uint32_t layer = request.placement.overlay ? ZWLR_LAYER_SHELL_V1_LAYER_OVERLAY
                                                            : ZWLR_LAYER_SHELL_V1_LAYER_TOP;
      entry = {surface, zwlr_layer_shell_v1_get_layer_surface(shell, surface, request.output, layer,
                                                              kNamespace)};
      zwlr_layer_surface_v1_add_listener(entry.layer, &kSurfaceListener, nullptr);
    }
    return entry;
  }

  void apply(QWindow& window, const Request& request) {
    wl_display_dispatch_queue_pending(display, queue);
    auto* surface = static_cast<wl_surface*>(native()->nativeResourceForWindow("surface", &window));
    if (surface == nullptr) {
      return;
    }
    bool fresh = false;
    zwlr_layer_surface_v1* layer = layerFor(window, surface, request, fresh).layer;
    zwlr_layer_surface_v1_set_size(layer, static_cast<std::uint32_t>(request.size.width()),
                                   static_cast<std::uint32_t>(request.size.height()));
    zwlr_layer_surface_v1_set_anchor(layer, request.anchors);
    zwlr_layer_surface_v1_set_exclusive_zone(layer, request.exclusiveZone);
    zwlr_layer_surface_v1_set_margin(layer, request.margins.top(), request.margins.right(),
                                     request.margins.bottom(), request.margins.left());
    zwlr_layer_surface_v1_set_keyboard_interactivity(layer,
                                                     keyboardMode(request.placement.takesKeyboard));
    wl_surface_commit(surface);
    if (fresh) {
      wl_display_roundtrip_queue(display, queue);  // Configured before Qt's first picture.
    }
  }

  void release(QWindow& window) {
    const auto found = surfaces.find(&window);
    if (found != surfaces.end()) {
      zwlr_layer_surface_v1_destroy(found->second.layer);
      surfaces.erase(found);
      wl_display_flush(display);
    }
  }
};

LayerShell* LayerShell::instance() {
  static LayerShell* const shared = []() -> LayerShell* {
    if (QGuiApplication::platformName() != "wayland") {
      return nullptr;
    }
    auto* display = static_cast<wl_display*>(native()->nativeResourceForIntegration("wl_display"));
    auto impl = std::make_unique<Impl>();
    if (display == nullptr || !impl->connect(display)) {
      return nullptr;
    }
    return new LayerShell(std::move(impl));  // Lives as long as Qt's connection.
  }();
  return shared;
}

LayerShell::LayerShell(std::unique_ptr<Impl> impl) : impl_(std::move(impl)) {}

LayerShell::~LayerShell() = default;

void LayerShell::placeAt(QWindow& window, const QRect& globalRect, Placement placement) {
  QScreen* screen = QGuiApplication::screenAt(globalRect.center());
  if (screen == nullptr) {
    screen = window.screen();
  }
  const QRect output = screen->geometry();
  Request request;
  request.output = outputOf(*screen);
  request.anchors = ZWLR_LAYER_SURFACE_V1_ANCHOR_TOP | ZWLR_LAYER_SURFACE_V1_ANCHOR_LEFT;
  request.margins = {globalRect.x() - output.x(), globalRect.y() - output.y(), 0, 0};
  request.exclusiveZone = -1;  // Measured from the output's edge, not a panel's.
  request.size = globalRect.size();
  request.placement = placement;
  impl_->apply(window, request);
}

void LayerShell::placeNextToPanel(QWindow& window, QScreen& screen, QPoint point,
                                  Placement placement) {
  const QRect output = screen.geometry();
  const bool top = point.y() - output.y() < output.height() / 2;
  const int left = point.x() - output.x() - window.width() / 2;
  Request request;
  request.output = outputOf(screen);
  request.anchors = (top ? ZWLR_LAYER_SURFACE_V1_ANCHOR_TOP : ZWLR_LAYER_SURFACE_V1_ANCHOR_BOTTOM) |
                    ZWLR_LAYER_SURFACE_V1_ANCHOR_LEFT;
  // Moved clear of the panels the compositor reserves room for; clear of the
  // others by a margin as deep as the panel at the click.
  const int band = impl_->keepsClearOfPanels(request.output, output.size())
                       ? 0
                       : PanelBand::thickness(output, top, point);
  request.margins = {std::clamp(left, 0, std::max(0, output.width() - window.width())),
                     top ? band : 0, 0, top ? 0 : band};
  request.exclusiveZone = 0;
  request.size = window.size();
  request.placement = placement;
  impl_->apply(window, request);
}

void LayerShell::closeOnOutsidePress(QWindow& window, QScreen& screen,
                                     std::function<void()> close) {
  if (QPointer<OutsidePressCatcher>& shown = impl_->catchers[&window];
      shown && shown->isVisible()) {
    return;
  }
  auto* catcher = new OutsidePressCatcher(window, std::move(close));  // Gone when `window` hides.
  catcher->setScreen(&screen);
  catcher->setGeometry(screen.geometry());
  catcher->show();
  placeAt(*catcher, screen.geometry(), Placement{});
  impl_->catchers[&window] = catcher;
}

void LayerShell::release(QWindow& window) { impl_->release(window); }

}  // namespace platform

#include "platform/session/SessionDisplay.h"

#include <X11/Xlib.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>
#include <wayland-client.h>

#include <QLibraryInfo>
#include <QString>
#include <QStringList>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <thread>

#include "platform/session/DisplayPlatformChoice.h"

namespace platform {
namespace {

constexpr std::chrono::milliseconds kProbeInterval{100};

std::string environmentValue(const char* name) {
  const char* value = std::getenv(name);
  return value == nullptr ? "" : value;
}

bool x11Answers() {
  Display* display = XOpenDisplay(nullptr);
  if (display == nullptr) {
    return false;
  }
  XCloseDisplay(display);
  return true;
}

std::string waylandSocketPath(const std::string& name) {
  if (name.starts_with('/')) {
    return name;
  }
  return environmentValue("XDG_RUNTIME_DIR") + "/" + name;
}

bool waylandAnswers() {
  if (!environmentValue("WAYLAND_SOCKET").empty()) {
    return true;  // The compositor handed this process a connected socket.
  }
  sockaddr_un address = {};
  address.sun_family = AF_UNIX;
  const std::string path = waylandSocketPath(environmentValue("WAYLAND_DISPLAY"));
  if (path.size() >= sizeof address.sun_path) {
    return false;
  }
  path.copy(address.sun_path, path.size());
  const int fd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
  const bool connected =
      fd >= 0 && ::connect(fd, reinterpret_cast<const sockaddr*>(&address), sizeof address) == 0;
  if (fd >= 0) {
    ::close(fd);
  }
  return connected;
}

bool waylandPluginInstalled() {
  QStringList folders = QString::fromLocal8Bit(qgetenv("QT_PLUGIN_PATH")).split(':');
  folders << QLibraryInfo::path(QLibraryInfo::PluginsPath);
  for (const QString& folder : folders) {
    if (!folder.isEmpty() &&
        std::filesystem::exists((folder + "/platforms/libqwayland-generic.so").toStdString())) {
      return true;
    }
  }
  return false;
}

void noteLayerShell(void* found, wl_registry*, std::uint32_t, const char* interface,
                    std::uint32_t) {
  if (std::strcmp(interface, "zwlr_layer_shell_v1") == 0) {
    *static_cast<bool*>(found) = true;
  }
}

void ignoreRemoval(void*, wl_registry*, std::uint32_t) {}

bool waylandOffersLayerShell() {
  wl_display* display = wl_display_connect(nullptr);
  if (display == nullptr) {
    return false;
  }
  static constexpr wl_registry_listener listener{&noteLayerShell, &ignoreRemoval};
  bool found = false;
  wl_registry* registry = wl_display_get_registry(display);
  wl_registry_add_listener(registry, &listener, &found);
  wl_display_roundtrip(display);
  wl_registry_destroy(registry);
  wl_display_disconnect(display);
  return found;
}

DisplayEnvironment currentEnvironment() {
  return {environmentValue("QT_QPA_PLATFORM"), environmentValue("DISPLAY"),
          environmentValue("WAYLAND_DISPLAY")};
}

void announce(const DisplayChoice& choice, const DisplayEnvironment& environment) {
  if (choice.qtPlatform == "xcb") {
    std::fprintf(stderr, "glimmerbox: showing on X11, DISPLAY=%s\n",
                 environment.x11Display.c_str());
    if (!environment.waylandDisplay.empty() && waylandOffersLayerShell() &&
        !waylandPluginInstalled()) {
      std::fprintf(stderr,
                   "glimmerbox: install qt6-wayland so that the popover opens under the tray "
                   "on this compositor\n");
    }
  } else if (choice.qtPlatform == "wayland") {
    std::fprintf(stderr, "glimmerbox: showing on Wayland%s, WAYLAND_DISPLAY=%s\n",
                 choice.layerShell ? " through the layer shell" : "",
                 environment.waylandDisplay.c_str());
  }
}

}  // namespace

std::string prepareSessionDisplay(std::chrono::milliseconds patience) {
  const DisplayProbes probes{&x11Answers, &waylandAnswers, &waylandPluginInstalled,
                             &waylandOffersLayerShell};
  const DisplayEnvironment environment = currentEnvironment();
  const auto deadline = std::chrono::steady_clock::now() + patience;
  DisplayChoice choice = chooseDisplayPlatform(environment, probes);
  while (choice.worthWaiting && std::chrono::steady_clock::now() < deadline) {
    std::this_thread::sleep_for(kProbeInterval);
    choice = chooseDisplayPlatform(environment, probes);
  }
  if (choice.problem.empty()) {
    announce(choice, environment);
    ::setenv("QT_QPA_PLATFORM", choice.qtPlatform.c_str(), 1);
  }
  if (choice.layerShell) {
    // Qt then gives windows marked to bypass the window manager (the
    // popover and the HUD) no role of its own, so they can take the layer
    // shell's.
    ::setenv("QT_WAYLAND_USE_BYPASSWINDOWMANAGERHINT", "1", 1);
  }
  return choice.problem;
}

}  // namespace platform

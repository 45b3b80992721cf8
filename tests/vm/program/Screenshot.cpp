// Qt first: Xlib's macros (Status, Bool) break Qt's headers.
#include <QImage>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <string>
#include <thread>

#include <X11/Xlib.h>
#include <X11/Xutil.h>

// Saves the X display's root window as a PNG once a window of the program
// with the given size is on screen, for a person to look at what the program
// showed. It waits inside one process: starting a program in the emulated
// machine takes longer than a transient panel stays up.
//
//   vm_screenshot OUTPUT.png WIDTHxHEIGHT
// Exits 1 when no such window came up.

namespace {

using namespace std::chrono_literals;

// Longer than a key press takes to reach the program in the emulated machine.
constexpr auto kPatience = 20s;
constexpr auto kLookInterval = 10ms;
// The emulated machine paints a panel over half a second after mapping it;
// this is still well within the 1.4 s the HUD stays up.
constexpr auto kSettle = 900ms;
constexpr const char* kProgramClass = "glimmerbox";

bool isProgramWindow(Display* display, Window window, int width, int height) {
  XWindowAttributes attributes;
  if (!XGetWindowAttributes(display, window, &attributes) || attributes.map_state != IsViewable ||
      attributes.width != width || attributes.height != height) {
    return false;
  }
  XClassHint hint{};
  if (!XGetClassHint(display, window, &hint)) {
    return false;
  }
  const bool ours = hint.res_class != nullptr && std::strcmp(hint.res_class, kProgramClass) == 0;
  XFree(hint.res_name);
  XFree(hint.res_class);
  return ours;
}

bool programWindowShown(Display* display, int width, int height) {
  Window root = 0;
  Window parent = 0;
  Window* children = nullptr;
  unsigned count = 0;
  if (!XQueryTree(display, DefaultRootWindow(display), &root, &parent, &children, &count)) {
    return false;
  }
  bool shown = false;
  for (unsigned i = 0; i < count && !shown; ++i) {
    shown = isProgramWindow(display, children[i], width, height);
  }
  XFree(children);
  return shown;
}

bool waitForProgramWindow(Display* display, int width, int height) {
  const auto deadline = std::chrono::steady_clock::now() + kPatience;
  while (!programWindowShown(display, width, height)) {
    if (std::chrono::steady_clock::now() > deadline) {
      return false;
    }
    std::this_thread::sleep_for(kLookInterval);
  }
  return true;
}

bool saveRoot(Display* display, const char* path) {
  Window root = DefaultRootWindow(display);
  XWindowAttributes attributes;
  XGetWindowAttributes(display, root, &attributes);
  XImage* grabbed =
      XGetImage(display, root, 0, 0, attributes.width, attributes.height, AllPlanes, ZPixmap);
  if (grabbed == nullptr || grabbed->bits_per_pixel != 32) {
    std::fprintf(stderr, "cannot read the screen as 32-bit pixels\n");
    return false;
  }
  QImage image(reinterpret_cast<const uchar*>(grabbed->data), grabbed->width, grabbed->height,
               grabbed->bytes_per_line, QImage::Format_RGB32);
  const bool saved = image.save(path, "PNG");
  XDestroyImage(grabbed);
  return saved;
}

}  // namespace

int main(int argc, char** argv) {
  int width = 0;
  int height = 0;
  if (argc != 3 || std::sscanf(argv[2], "%dx%d", &width, &height) != 2) {
    std::fprintf(stderr, "usage: %s OUTPUT.png WIDTHxHEIGHT\n", argv[0]);
    return 2;
  }
  Display* display = XOpenDisplay(nullptr);
  if (display == nullptr) {
    std::fprintf(stderr, "no X display\n");
    return 2;
  }
  int status = 1;
  if (!waitForProgramWindow(display, width, height)) {
    std::fprintf(stderr, "no %dx%d window of the program came up\n", width, height);
  } else {
    std::this_thread::sleep_for(kSettle);
    status = saveRoot(display, argv[1]) ? 0 : 2;
  }
  XCloseDisplay(display);
  return status;
}

#include "platform/screens/XRandrEdids.h"

#include <QGuiApplication>

// X11 headers come last: their macros (None, Bool, Status) clash with Qt's.
#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <X11/extensions/Xrandr.h>

namespace platform {

namespace {

// An EDID with its extension blocks stays well within this many 32-bit units.
constexpr long kMaxEdidLongs = 256;

Display* applicationDisplay() {
  auto* x11 =
      qGuiApp == nullptr ? nullptr : qGuiApp->nativeInterface<QNativeInterface::QX11Application>();
  return x11 == nullptr ? nullptr : x11->display();
}

std::vector<std::uint8_t> outputEdid(Display* display, RROutput output, Atom edidAtom) {
  Atom actualType = 0;
  int actualFormat = 0;
  unsigned long itemCount = 0;
  unsigned long bytesAfter = 0;
  unsigned char* data = nullptr;
  const int status = XRRGetOutputProperty(display, output, edidAtom, 0, kMaxEdidLongs, False, False,
                                          AnyPropertyType, &actualType, &actualFormat, &itemCount,
                                          &bytesAfter, &data);
  std::vector<std::uint8_t> edid;
  if (status == Success && actualType == XA_INTEGER && actualFormat == 8 && data != nullptr) {
    edid.assign(data, data + itemCount);
  }
  if (data != nullptr) {
    XFree(data);
  }
  return edid;
}

}  // namespace

std::map<std::string, std::vector<std::uint8_t>> XRandrEdids::byConnector() {
  std::map<std::string, std::vector<std::uint8_t>> edids;
  Display* display = applicationDisplay();
  int eventBase = 0;
  int errorBase = 0;
  if (display == nullptr || !XRRQueryExtension(display, &eventBase, &errorBase)) {
    return edids;
  }
  const Atom edidAtom = XInternAtom(display, "EDID", True);
  XRRScreenResources* resources = XRRGetScreenResourcesCurrent(display, DefaultRootWindow(display));
  if (edidAtom == None || resources == nullptr) {
    if (resources != nullptr) {
      XRRFreeScreenResources(resources);
    }
    return edids;
  }
  for (int i = 0; i < resources->noutput; ++i) {
    XRROutputInfo* info = XRRGetOutputInfo(display, resources, resources->outputs[i]);
    if (info == nullptr) {
      continue;
    }
    std::vector<std::uint8_t> edid = outputEdid(display, resources->outputs[i], edidAtom);
    if (!edid.empty()) {
      edids.emplace(std::string(info->name, info->nameLen), std::move(edid));
    }
    XRRFreeOutputInfo(info);
  }
  XRRFreeScreenResources(resources);
  return edids;
}

}  // namespace platform

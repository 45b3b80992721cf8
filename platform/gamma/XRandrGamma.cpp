#include "platform/gamma/XRandrGamma.h"

#include "platform/gamma/RunOnQuit.h"

// After Qt: Xlib defines macros (None, Bool, Status) that Qt's headers use as names.
#include <X11/Xlib.h>
#include <X11/extensions/Xrandr.h>

#include <algorithm>
#include <map>
#include <vector>

#include "platform/gamma/GammaRamp.h"

namespace platform {
namespace {

struct Ramp {
  std::vector<unsigned short> red, green, blue;
};

// Xlib's default error handler ends the process; a CRTC that vanished with
// its monitor must only fail the call. The trap catches errors of the calls
// made while it lives.
class XErrorTrap {
 public:
  explicit XErrorTrap(Display* display)
      : display_(display), previous_(XSetErrorHandler(&XErrorTrap::record)) {
    errorSeen_ = false;
  }
  ~XErrorTrap() { XSetErrorHandler(previous_); }
  XErrorTrap(const XErrorTrap&) = delete;
  XErrorTrap& operator=(const XErrorTrap&) = delete;

  // Waits for the server to answer everything sent so far.
  bool failed() {
    XSync(display_, False);
    return errorSeen_;
  }

 private:
  static int record(Display*, XErrorEvent*) {
    errorSeen_ = true;
    return 0;
  }

  static inline bool errorSeen_ = false;
  Display* display_;
  XErrorHandler previous_;
};

Ramp copyRamp(const XRRCrtcGamma& gamma) {
  const auto size = static_cast<std::size_t>(gamma.size);
  return Ramp{{gamma.red, gamma.red + size},
              {gamma.green, gamma.green + size},
              {gamma.blue, gamma.blue + size}};
}

bool applyRamp(Display* display, RRCrtc crtc, const Ramp& ramp) {
  XRRCrtcGamma* gamma = XRRAllocGamma(static_cast<int>(ramp.red.size()));
  if (gamma == nullptr) {
    return false;
  }
  std::copy(ramp.red.begin(), ramp.red.end(), gamma->red);
  std::copy(ramp.green.begin(), ramp.green.end(), gamma->green);
  std::copy(ramp.blue.begin(), ramp.blue.end(), gamma->blue);
  XErrorTrap trap(display);
  XRRSetCrtcGamma(display, crtc, gamma);
  XRRFreeGamma(gamma);
  return !trap.failed();
}

// The first connected output the CRTC drives: the one Qt names the screen after.
std::string connectedOutputName(Display* display, XRRScreenResources* resources,
                                const XRRCrtcInfo& crtc) {
  std::string name;
  for (int i = 0; i < crtc.noutput && name.empty(); ++i) {
    XRROutputInfo* output = XRRGetOutputInfo(display, resources, crtc.outputs[i]);
    if (output != nullptr && output->connection == RR_Connected) {
      name.assign(output->name, static_cast<std::size_t>(output->nameLen));
    }
    XRRFreeOutputInfo(output);
  }
  return name;
}

}  // namespace

struct XRandrGamma::Impl {
  std::string displayName;
  Display* display = nullptr;
  bool triedToConnect = false;
  std::map<RRCrtc, Ramp> originalRamps;
  std::map<RRCrtc, std::string> names;  // Of the CRTCs the last listing found lit.
  RunOnQuit restoreOnQuit{[this] { restoreAll(); }};

  Display* connection() {
    if (!triedToConnect) {
      triedToConnect = true;
      display = XOpenDisplay(displayName.empty() ? nullptr : displayName.c_str());
    }
    return display;
  }

  // The CRTCs that show a mode, naming each one on the way.
  std::vector<RRCrtc> activeCrtcs() {
    std::vector<RRCrtc> active;
    names.clear();
    Display* x = connection();
    if (x == nullptr) {
      return active;
    }
    XErrorTrap trap(x);
    XRRScreenResources* resources = XRRGetScreenResourcesCurrent(x, DefaultRootWindow(x));
    if (resources == nullptr) {
      return active;
    }
    for (int i = 0; i < resources->ncrtc; ++i) {
      XRRCrtcInfo* info = XRRGetCrtcInfo(x, resources, resources->crtcs[i]);
      if (info != nullptr && info->mode != None) {
        active.push_back(resources->crtcs[i]);
        names[resources->crtcs[i]] = connectedOutputName(x, resources, *info);
      }
      XRRFreeCrtcInfo(info);
    }
    XRRFreeScreenResources(resources);
    return active;
  }

  void restoreAll() {
    for (const auto& [crtc, ramp] : originalRamps) {
      applyRamp(display, crtc, ramp);  // A CRTC gone with its monitor needs nothing back.
    }
    originalRamps.clear();
  }

  // The CRTC's ramp size, remembering its original ramp the first time.
  int prepareCrtc(RRCrtc crtc) {
    XErrorTrap trap(display);
    const int size = XRRGetCrtcGammaSize(display, crtc);
    if (trap.failed() || size <= 0) {
      return 0;
    }
    if (!originalRamps.contains(crtc)) {
      XRRCrtcGamma* original = XRRGetCrtcGamma(display, crtc);
      if (trap.failed() || original == nullptr) {
        return 0;
      }
      originalRamps[crtc] = copyRamp(*original);
      XRRFreeGamma(original);
      restoreOnQuit.arm();
    }
    return size;
  }
};

XRandrGamma::XRandrGamma(std::string displayName) : impl_(std::make_unique<Impl>()) {
  impl_->displayName = std::move(displayName);
}

XRandrGamma::~XRandrGamma() {
  restore();
  if (impl_->display != nullptr) {
    XCloseDisplay(impl_->display);
  }
}

std::vector<std::uint32_t> XRandrGamma::outputs() {
  const std::vector<RRCrtc> crtcs = impl_->activeCrtcs();
  return {crtcs.begin(), crtcs.end()};
}

std::string XRandrGamma::outputName(std::uint32_t output) {
  const auto found = impl_->names.find(output);
  return found != impl_->names.end() ? found->second : "";
}

bool XRandrGamma::setBrightness(std::uint32_t output, double fraction) {
  if (impl_->connection() == nullptr) {
    return false;
  }
  const int size = impl_->prepareCrtc(output);
  if (size == 0) {
    return false;
  }
  const std::vector<std::uint16_t> channel = gammaRamp(static_cast<std::size_t>(size), fraction);
  return applyRamp(impl_->display, output, Ramp{channel, channel, channel});
}

void XRandrGamma::restore() { impl_->restoreAll(); }

}  // namespace platform

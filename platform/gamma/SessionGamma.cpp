#include "platform/gamma/SessionGamma.h"

#include <cstdio>
#include <cstdlib>

#include "platform/gamma/MutterGamma.h"
#include "platform/gamma/WlrootsGamma.h"
#include "platform/gamma/XRandrGamma.h"

namespace platform {
namespace {

// A compositor that lets no client set gamma: nothing to dim.
class NoGamma : public GammaControl {
 public:
  std::vector<std::uint32_t> outputs() override { return {}; }
  std::string outputName(std::uint32_t) override { return ""; }
  bool setBrightness(std::uint32_t, double) override { return false; }
};

bool isWaylandSession() {
  const char* display = std::getenv("WAYLAND_DISPLAY");
  return display != nullptr && *display != '\0';
}

}  // namespace

std::shared_ptr<GammaControl> sessionGamma() {
  if (!isWaylandSession()) {
    return std::make_shared<XRandrGamma>();
  }
  if (std::shared_ptr<GammaControl> wlroots = WlrootsGamma::connect()) {
    std::fprintf(stderr, "glimmerbox: software dimming through the compositor's gamma control\n");
    return wlroots;
  }
  if (std::shared_ptr<GammaControl> gnome = MutterGamma::connect()) {
    std::fprintf(stderr, "glimmerbox: software dimming through GNOME's display configuration\n");
    return gnome;
  }
  std::fprintf(stderr,
               "glimmerbox: this Wayland compositor lets no program set gamma; monitors that "
               "refuse DDC/CI cannot be dimmed\n");
  return std::make_shared<NoGamma>();
}

}  // namespace platform

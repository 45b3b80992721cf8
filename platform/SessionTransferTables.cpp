#include "platform/SessionTransferTables.h"

#include <cerrno>
#include <cstdio>
#include <cstdlib>

#include "platform/MutterGammaTransferTables.h"
#include "platform/WaylandGammaTransferTables.h"
#include "platform/XRandrDisplayTransferTables.h"

namespace platform {
namespace {

// A compositor that lets no client set gamma: nothing to dim.
class NoTransferTables : public DisplayTransferTables {
 public:
  std::int32_t getActiveDisplayList(std::uint32_t, std::uint32_t*, std::uint32_t& count) override {
    count = 0;
    return 0;
  }
  std::int32_t setDisplayTransferByTable(std::uint32_t, std::uint32_t, const float*, const float*,
                                         const float*) override {
    return -ENODEV;
  }
};

bool isWaylandSession() {
  const char* display = std::getenv("WAYLAND_DISPLAY");
  return display != nullptr && *display != '\0';
}

}  // namespace

std::shared_ptr<DisplayTransferTables> sessionTransferTables() {
  if (!isWaylandSession()) {
    return std::make_shared<XRandrDisplayTransferTables>();
  }
  if (std::shared_ptr<DisplayTransferTables> wlroots = WaylandGammaTransferTables::connect()) {
    std::fprintf(stderr, "glimmerbox: software dimming through the compositor's gamma control\n");
    return wlroots;
  }
  if (std::shared_ptr<DisplayTransferTables> gnome = MutterGammaTransferTables::connect()) {
    std::fprintf(stderr, "glimmerbox: software dimming through GNOME's display configuration\n");
    return gnome;
  }
  std::fprintf(stderr,
               "glimmerbox: this Wayland compositor lets no program set gamma; monitors that "
               "refuse DDC/CI cannot be dimmed\n");
  return std::make_shared<NoTransferTables>();
}

}  // namespace platform

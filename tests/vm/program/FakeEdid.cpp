// Gives an X output the EDID of a made-up monitor and writes the same bytes
// to standard output, for a connector's sysfs folder; the program then finds
// the connector of each screen as on real hardware.
//   vm_fake_edid OUTPUT SERIAL MODEL > EDID
#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <X11/extensions/Xrandr.h>

#include <array>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <string>

namespace {

constexpr std::size_t kEdidSize = 128;
constexpr std::size_t kNameDescriptor = 54;

std::array<std::uint8_t, kEdidSize> edidOf(std::uint32_t serial, const std::string& model) {
  std::array<std::uint8_t, kEdidSize> edid{0x00, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0x00};
  edid[8] = 0x1C;  // "GBX": G = 7, B = 2, X = 24 in five bits each.
  edid[9] = 0x58;
  edid[10] = 0x01;  // Product 1.
  for (int i = 0; i < 4; ++i) edid[12 + i] = static_cast<std::uint8_t>(serial >> (8 * i));
  edid[18] = 1;  // EDID 1.4.
  edid[19] = 4;
  std::uint8_t* name = &edid[kNameDescriptor];
  name[3] = 0xFC;
  std::memset(name + 5, ' ', 13);
  std::memcpy(name + 5, model.data(), std::min<std::size_t>(model.size(), 12));
  name[5 + std::min<std::size_t>(model.size(), 12)] = 0x0A;
  std::uint8_t sum = 0;
  for (std::size_t i = 0; i + 1 < kEdidSize; ++i) sum += edid[i];
  edid[kEdidSize - 1] = static_cast<std::uint8_t>(0x100 - sum);
  return edid;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 4) {
    std::fprintf(stderr, "usage: vm_fake_edid OUTPUT SERIAL MODEL > EDID\n");
    return 2;
  }
  const auto edid = edidOf(static_cast<std::uint32_t>(std::stoul(argv[2])), argv[3]);
  std::fwrite(edid.data(), 1, edid.size(), stdout);
  Display* display = XOpenDisplay(nullptr);
  if (display == nullptr) return 1;
  XRRScreenResources* resources = XRRGetScreenResources(display, DefaultRootWindow(display));
  int found = 0;
  for (int i = 0; i < resources->noutput; ++i) {
    XRROutputInfo* info = XRRGetOutputInfo(display, resources, resources->outputs[i]);
    if (std::strcmp(info->name, argv[1]) == 0) {
      XRRChangeOutputProperty(display, resources->outputs[i], XInternAtom(display, "EDID", False),
                              XA_INTEGER, 8, PropModeReplace, edid.data(), kEdidSize);
      found = 1;
    }
    XRRFreeOutputInfo(info);
  }
  XRRFreeScreenResources(resources);
  XCloseDisplay(display);
  if (!found) std::fprintf(stderr, "vm_fake_edid: no output %s\n", argv[1]);
  return found ? 0 : 1;
}

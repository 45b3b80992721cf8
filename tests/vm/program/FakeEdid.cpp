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

int main(int argc, char** argv) {
  if (argc != 4) return 2;
  // Made by "GBX" (G = 7, B = 2, X = 24 in five bits each), product 1, EDID 1.4.
  std::array<std::uint8_t, 128> edid{0, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0, 0x1C, 0x58, 1};
  const std::uint32_t serial = std::stoul(argv[2]);
  for (int i = 0; i < 4; ++i) edid[12 + i] = static_cast<std::uint8_t>(serial >> (8 * i));
  edid[18] = 1;
  edid[19] = 4;
  // The first descriptor names the model: tag 0xFC, then 13 bytes of text.
  const std::string model = std::string(argv[3]).substr(0, 12) + "\n";
  edid[57] = 0xFC;
  std::memset(&edid[59], ' ', 13);
  std::memcpy(&edid[59], model.data(), model.size());
  for (std::size_t i = 0; i + 1 < edid.size(); ++i) edid.back() -= edid[i];
  std::fwrite(edid.data(), 1, edid.size(), stdout);

  Display* display = XOpenDisplay(nullptr);
  if (display == nullptr) return 1;
  XRRScreenResources* resources = XRRGetScreenResources(display, DefaultRootWindow(display));
  bool found = false;
  for (int i = 0; i < resources->noutput; ++i) {
    XRROutputInfo* info = XRRGetOutputInfo(display, resources, resources->outputs[i]);
    if (std::strcmp(info->name, argv[1]) == 0) {
      XRRChangeOutputProperty(display, resources->outputs[i], XInternAtom(display, "EDID", False),
                              XA_INTEGER, 8, PropModeReplace, edid.data(), edid.size());
      found = true;
    }
    XRRFreeOutputInfo(info);
  }
  XRRFreeScreenResources(resources);
  XCloseDisplay(display);
  return found ? 0 : 1;
}

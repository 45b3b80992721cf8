#pragma once

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <optional>
#include <string>

namespace testsupport {

namespace fs = std::filesystem;

// A sysfs fixture in a temporary directory, laid out with the kernel's
// relative symlinks: devices under devices/pci0000:00/, connectors listed in
// class/drm/, adapters in bus/i2c/devices/.
class SysfsTree {
 public:
  SysfsTree() {
    std::string pattern = (fs::temp_directory_path() / "glimmerbox-sysfs-XXXXXX");
    root_ = mkdtemp(pattern.data());
  }
  ~SysfsTree() { fs::remove_all(root_); }

  const fs::path& root() const { return root_; }

  // A PCI device such as a graphics card ("0x030000") or a docking station.
  fs::path pciDevice(const std::string& address, const std::string& pciClass,
                     const std::string& driver = "") {
    const fs::path device = root_ / "devices" / "pci0000:00" / address;
    writeFile(device / "class", pciClass + "\n");
    if (!driver.empty()) {
      const fs::path driverDir = root_ / "bus" / "pci" / "drivers" / driver;
      fs::create_directories(driverDir);
      link(device / "driver", driverDir);
    }
    return device;
  }

  // An I2C adapter below `parent`, with its i2c-dev node.
  fs::path adapter(const fs::path& parent, unsigned bus, const std::string& name) {
    const std::string busName = "i2c-" + std::to_string(bus);
    const fs::path adapterDir = parent / busName;
    writeFile(adapterDir / "name", name + "\n");
    fs::create_directories(adapterDir / "i2c-dev" / busName);
    link(root_ / "bus" / "i2c" / "devices" / busName, adapterDir);
    return adapterDir;
  }

  // A DRM connector "card<card>-<name>" of `gpu`, with an optional DDC link.
  fs::path connector(const fs::path& gpu, unsigned card, const std::string& name,
                     const std::string& status, std::optional<fs::path> ddcAdapter = std::nullopt) {
    const std::string cardName = "card" + std::to_string(card);
    const fs::path connectorDir = gpu / "drm" / cardName / (cardName + "-" + name);
    writeFile(connectorDir / "status", status + "\n");
    if (ddcAdapter) link(connectorDir / "ddc", *ddcAdapter);
    link(root_ / "class" / "drm" / (cardName + "-" + name), connectorDir);
    return connectorDir;
  }

  // A backlight device of `parent` (a connector, a graphics card, a firmware
  // or platform device), listed in class/backlight.
  fs::path backlight(const fs::path& parent, const std::string& name, const std::string& type,
                     const std::string& maximum, const std::string& brightness) {
    const fs::path device = parent / "backlight" / name;
    writeFile(device / "type", type + "\n");
    writeFile(device / "max_brightness", maximum + "\n");
    writeFile(device / "brightness", brightness + "\n");
    link(device / "device", parent);
    link(root_ / "class" / "backlight" / name, device);
    return device;
  }

  static void writeFile(const fs::path& path, const std::string& text) {
    fs::create_directories(path.parent_path());
    std::ofstream(path) << text;
  }

 private:
  static void link(const fs::path& link, const fs::path& target) {
    fs::create_directories(link.parent_path());
    fs::create_directory_symlink(fs::relative(target, link.parent_path()), link);
  }

  fs::path root_;
};

}  // namespace testsupport

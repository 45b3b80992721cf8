#pragma once

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <optional>
#include <string>

namespace testsupport {

// A sysfs fixture in a temporary directory, laid out with the kernel's
// relative symlinks: devices under devices/pci0000:00/, connectors listed in
// class/drm/, adapters in bus/i2c/devices/.
class SysfsTree {
 public:
  SysfsTree() {
    std::string pattern = (std::filesystem::temp_directory_path() / "glimmerbox-sysfs-XXXXXX");
    if (mkdtemp(pattern.data()) == nullptr) std::abort();
    root_ = pattern;
  }
  ~SysfsTree() {
    std::error_code ignored;
    std::filesystem::remove_all(root_, ignored);
  }
  SysfsTree(const SysfsTree&) = delete;

  const std::filesystem::path& root() const { return root_; }

  // A PCI device such as a graphics card ("0x030000") or a docking station.
  std::filesystem::path pciDevice(const std::string& address, const std::string& pciClass,
                                  const std::string& driver = "") {
    const std::filesystem::path device = root_ / "devices" / "pci0000:00" / address;
    writeFile(device / "class", pciClass + "\n");
    if (!driver.empty()) {
      const std::filesystem::path driverDir = root_ / "bus" / "pci" / "drivers" / driver;
      std::filesystem::create_directories(driverDir);
      link(device / "driver", driverDir);
    }
    return device;
  }

  // An I2C adapter below `parent`, with its i2c-dev node.
  std::filesystem::path adapter(const std::filesystem::path& parent, unsigned bus,
                                const std::string& name) {
    const std::string busName = "i2c-" + std::to_string(bus);
    const std::filesystem::path adapterDir = parent / busName;
    writeFile(adapterDir / "name", name + "\n");
    std::filesystem::create_directories(adapterDir / "i2c-dev" / busName);
    link(root_ / "bus" / "i2c" / "devices" / busName, adapterDir);
    return adapterDir;
  }

  // A DRM connector "card<card>-<name>" of `gpu`, with an optional DDC link.
  std::filesystem::path connector(const std::filesystem::path& gpu, unsigned card,
                                  const std::string& name, const std::string& status,
                                  std::optional<std::filesystem::path> ddcAdapter = std::nullopt) {
    const std::string cardName = "card" + std::to_string(card);
    const std::filesystem::path connectorDir = gpu / "drm" / cardName / (cardName + "-" + name);
    writeFile(connectorDir / "status", status + "\n");
    if (ddcAdapter) link(connectorDir / "ddc", *ddcAdapter);
    link(root_ / "class" / "drm" / (cardName + "-" + name), connectorDir);
    return connectorDir;
  }

  static void writeFile(const std::filesystem::path& path, const std::string& text) {
    std::filesystem::create_directories(path.parent_path());
    std::ofstream(path) << text;
  }

 private:
  static void link(const std::filesystem::path& link, const std::filesystem::path& target) {
    std::filesystem::create_directories(link.parent_path());
    std::filesystem::create_directory_symlink(std::filesystem::relative(target, link.parent_path()),
                                              link);
  }

  std::filesystem::path root_;
};

}  // namespace testsupport

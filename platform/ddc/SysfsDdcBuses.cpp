#include "platform/ddc/SysfsDdcBuses.h"

#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <cerrno>
#include <charconv>
#include <optional>
#include <set>
#include <string>
#include <string_view>
#include <system_error>
#include <tuple>

namespace platform {
namespace {

namespace fs = std::filesystem;

// Opening the DDC address of some laptop panels corrupts the picture, and
// no built-in panel speaks DDC/CI anyway.
constexpr std::array<std::string_view, 3> kBuiltInConnectorTypes = {"eDP", "LVDS", "DSI"};

// Adapters that are not display channels; probing some of them hangs the
// graphics card or the system management controller.
constexpr std::array<std::string_view, 8> kNeverProbedAdapterPrefixes = {
    "SMBus", "Synopsys DesignWare", "soc:i2cdsi",           "smu", "mac-io",
    "u4",    "AMDGPU SMU",          "AMDGPU DM i2c OEM bus"};

// PCI classes whose adapters carry monitors: display controllers, and docking
// stations that drive monitors themselves.
constexpr std::array<std::string_view, 2> kMonitorPciClassPrefixes = {"0x03", "0x0a"};

// nouveau's display channels are its "nvkm-" adapters; its others reach
// on-board chips.
constexpr std::string_view kNouveauDriver = "nouveau";
constexpr std::string_view kNouveauDisplayAdapterPrefix = "nvkm-";

constexpr std::string_view kConnected = "connected";
constexpr std::string_view kBusPrefix = "i2c-";
constexpr std::size_t kLongestAttribute = 256;

struct Connector {
  unsigned card = 0;
  std::string name;  // "HDMI-A-1": type, then index.
  fs::path path;
};

// Reads a sysfs attribute without its trailing newline; 0 or an errno.
int readAttribute(const fs::path& path, std::string& value) {
  const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) {
    return errno;
  }
  char buffer[kLongestAttribute];
  const ssize_t length = ::read(fd, buffer, sizeof buffer);
  const int error = length < 0 ? errno : 0;
  ::close(fd);
  if (error != 0) {
    return error;
  }
  value.assign(buffer, static_cast<std::size_t>(length));
  while (!value.empty() && (value.back() == '\n' || value.back() == ' ')) {
    value.pop_back();
  }
  return 0;
}

std::optional<unsigned> parseNumber(std::string_view text) {
  unsigned number = 0;
  const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), number);
  if (error != std::errc() || end != text.data() + text.size() || text.empty()) {
    return std::nullopt;
  }
  return number;
}

std::optional<unsigned> busNumber(std::string_view name) {
  if (!name.starts_with(kBusPrefix)) {
    return std::nullopt;
  }
  return parseNumber(name.substr(kBusPrefix.size()));
}

bool startsWithAny(std::string_view text, const auto& prefixes) {
  return std::any_of(prefixes.begin(), prefixes.end(),
                     [&](std::string_view prefix) { return text.starts_with(prefix); });
}

// "card1-DP-2" → card 1, connector "DP-2".
std::optional<Connector> parseConnector(const fs::path& path) {
  const std::string name = path.filename().string();
  const std::size_t dash = name.find('-');
  if (!name.starts_with("card") || dash == std::string::npos) {
    return std::nullopt;
  }
  const std::optional<unsigned> card = parseNumber(std::string_view(name).substr(4, dash - 4));
  if (!card) {
    return std::nullopt;
  }
  return Connector{*card, name.substr(dash + 1), path};
}

bool isBuiltInPanel(const Connector& connector) {
  const std::string type = connector.name.substr(0, connector.name.rfind('-'));
  return std::find(kBuiltInConnectorTypes.begin(), kBuiltInConnectorTypes.end(), type) !=
         kBuiltInConnectorTypes.end();
}

std::optional<unsigned> firstBusIn(const fs::path& directory) {
  std::error_code error;
  std::optional<unsigned> lowest;
  for (const auto& entry : fs::directory_iterator(directory, error)) {
    const std::optional<unsigned> bus = busNumber(entry.path().filename().string());
    if (bus && (!lowest || *bus < *lowest)) {
      lowest = bus;
    }
  }
  return lowest;
}

// The connector's DDC bus: its "ddc" link, else (DisplayPort) its own
// AUX channel adapter "i2c-N".
std::optional<unsigned> connectorBus(const Connector& connector) {
  const fs::path ddc = connector.path / "ddc";
  if (std::optional<unsigned> bus = firstBusIn(ddc / "i2c-dev")) {
    return bus;
  }
  std::error_code error;
  const fs::path target = fs::read_symlink(ddc, error);
  if (!error) {
    if (std::optional<unsigned> bus = busNumber(target.filename().string())) {
      return bus;
    }
  }
  return firstBusIn(connector.path);
}

int listConnectors(const fs::path& drm, std::vector<Connector>& connectors) {
  std::error_code error;
  fs::directory_iterator entries(drm, error);
  if (error) {
    return error == std::errc::no_such_file_or_directory ? 0 : error.value();
  }
  for (const auto& entry : entries) {
    if (std::optional<Connector> connector = parseConnector(entry.path())) {
      connectors.push_back(std::move(*connector));
    }
  }
  std::sort(connectors.begin(), connectors.end(), [](const Connector& a, const Connector& b) {
    return std::tie(a.card, a.name) < std::tie(b.card, b.name);
  });
  return 0;
}

class Discovery {
 public:
  explicit Discovery(fs::path root) : root_(std::move(root)) {}

  DdcBusList run() {
    std::vector<Connector> connectors;
    if (const int error = listConnectors(root_ / "class" / "drm", connectors); error != 0) {
      return DdcBusList{-error, {}};
    }
    for (const Connector& connector : connectors) {
      if (const int error = addConnector(connector); error != 0) {
        return DdcBusList{-error, {}};
      }
    }
    if (needsAdapterFallback_) {
      if (const int error = addMonitorAdapters(); error != 0) {
        return DdcBusList{-error, {}};
      }
    }
    return DdcBusList{0, std::move(buses_)};
  }

 private:
  void add(unsigned bus, const std::string& connector) {
    if (std::none_of(buses_.begin(), buses_.end(),
                     [bus](const DdcBus& listed) { return listed.number == bus; })) {
      buses_.push_back(DdcBus{bus, connector});
    }
  }

  int addConnector(const Connector& connector) {
    std::string status;
    if (const int error = readAttribute(connector.path / "status", status); error != 0) {
      return error == ENOENT ? 0 : error;  // ENOENT: unplugged while we read.
    }
    if (status != kConnected) {
      return 0;
    }
    const std::optional<unsigned> bus = connectorBus(connector);
    if (isBuiltInPanel(connector)) {
      if (bus) {
        builtInBuses_.insert(*bus);
      }
    } else if (bus) {
      add(*bus, connector.name);
    } else {
      needsAdapterFallback_ = true;
    }
    return 0;
  }

  int addMonitorAdapters() {
    std::error_code error;
    std::vector<unsigned> adapters;
    for (const auto& entry : fs::directory_iterator(root_ / "bus" / "i2c" / "devices", error)) {
      if (std::optional<unsigned> bus = busNumber(entry.path().filename().string())) {
        adapters.push_back(*bus);
      }
    }
    if (error && error != std::errc::no_such_file_or_directory) {
      return error.value();
    }
    std::sort(adapters.begin(), adapters.end());
    for (unsigned bus : adapters) {
      if (!builtInBuses_.contains(bus) && leadsToMonitors(bus)) {
        add(bus, "");
      }
    }
    return 0;
  }

  bool leadsToMonitors(unsigned bus) const {
    std::error_code error;
    const fs::path adapter = fs::canonical(
        root_ / "bus" / "i2c" / "devices" / (std::string(kBusPrefix) + std::to_string(bus)), error);
    std::string name;
    std::string pciClass;
    if (error || readAttribute(adapter / "name", name) != 0 ||
        readAttribute(adapter.parent_path() / "class", pciClass) != 0) {
      return false;
    }
    if (!startsWithAny(pciClass, kMonitorPciClassPrefixes) ||
        startsWithAny(name, kNeverProbedAdapterPrefixes)) {
      return false;
    }
    const fs::path driver = fs::read_symlink(adapter.parent_path() / "driver", error);
    const bool nouveau = !error && driver.filename() == kNouveauDriver;
    return !nouveau || name.starts_with(kNouveauDisplayAdapterPrefix);
  }

  fs::path root_;
  std::vector<DdcBus> buses_;
  std::set<unsigned> builtInBuses_;
  bool needsAdapterFallback_ = false;
};

}  // namespace

SysfsDdcBuses::SysfsDdcBuses(std::filesystem::path sysfsRoot) : sysfsRoot_(std::move(sysfsRoot)) {}

DdcBusList SysfsDdcBuses::list() { return Discovery(sysfsRoot_).run(); }

}  // namespace platform

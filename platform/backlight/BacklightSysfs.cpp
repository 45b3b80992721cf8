#include "platform/backlight/BacklightSysfs.h"

#include <algorithm>
#include <array>
#include <charconv>
#include <fstream>
#include <limits>
#include <string_view>
#include <system_error>
#include <tuple>

namespace platform {
namespace {

namespace fs = std::filesystem;

constexpr std::array<std::string_view, 3> kBuiltInConnectorTypes = {"eDP", "LVDS", "DSI"};
constexpr std::string_view kConnected = "connected";

// Firmware (ACPI) knows the machine's panel and a platform driver serves it;
// a raw device is a graphics card's own register, which on hybrid graphics
// may belong to a card that drives no panel.
constexpr std::array<std::string_view, 3> kTypesByPreference = {"firmware", "platform", "raw"};
constexpr int kOwnConnectorRank = 0;
constexpr int kRawOfAnotherCardRank = static_cast<int>(kTypesByPreference.size()) + 1;

struct Panel {
  unsigned card = 0;
  std::string connector;  // "eDP-1"
  fs::path path;          // The connector's device, resolved.
};

std::optional<std::string> readAttribute(const fs::path& path) {
  std::ifstream file(path);
  std::string line;
  if (!std::getline(file, line)) {
    return std::nullopt;
  }
  while (!line.empty() && line.back() == ' ') {
    line.pop_back();
  }
  return line;
}

std::optional<std::int64_t> readInteger(const fs::path& path) {
  const std::optional<std::string> text = readAttribute(path);
  std::int64_t number = 0;
  if (!text || text->empty()) {
    return std::nullopt;
  }
  const auto [end, error] = std::from_chars(text->data(), text->data() + text->size(), number);
  if (error != std::errc() || end != text->data() + text->size()) {
    return std::nullopt;
  }
  return number;
}

// The kernel keeps max_brightness in an int.
std::optional<std::int64_t> readMaximum(const fs::path& device) {
  const std::optional<std::int64_t> maximum = readInteger(device / "max_brightness");
  if (!maximum || *maximum <= 0 || *maximum > std::numeric_limits<std::int32_t>::max()) {
    return std::nullopt;
  }
  return maximum;
}

// "card1-eDP-1", connected → card 1, connector "eDP-1".
std::optional<Panel> connectedPanel(const fs::path& entry) {
  const std::string name = entry.filename().string();
  const std::size_t dash = name.find('-');
  unsigned card = 0;
  if (!name.starts_with("card") || dash == std::string::npos ||
      std::from_chars(name.data() + 4, name.data() + dash, card).ptr != name.data() + dash) {
    return std::nullopt;
  }
  const std::string connector = name.substr(dash + 1);
  const std::string type = connector.substr(0, connector.rfind('-'));
  if (std::find(kBuiltInConnectorTypes.begin(), kBuiltInConnectorTypes.end(), type) ==
          kBuiltInConnectorTypes.end() ||
      readAttribute(entry / "status") != kConnected) {
    return std::nullopt;
  }
  std::error_code error;
  fs::path path = fs::canonical(entry, error);
  if (error) {
    return std::nullopt;
  }
  return Panel{card, connector, std::move(path)};
}

std::optional<Panel> firstConnectedPanel(const fs::path& sysfsRoot) {
  std::error_code error;
  std::optional<Panel> first;
  for (const auto& entry : fs::directory_iterator(sysfsRoot / "class" / "drm", error)) {
    std::optional<Panel> panel = connectedPanel(entry.path());
    if (panel && (!first || std::tie(panel->card, panel->connector) <
                                std::tie(first->card, first->connector))) {
      first = std::move(panel);
    }
  }
  return first;
}

bool isWithin(const fs::path& path, const fs::path& directory) {
  return std::mismatch(directory.begin(), directory.end(), path.begin(), path.end()).first ==
         directory.end();
}

// Lower is better; nothing for a type the kernel does not define.
std::optional<int> rank(const fs::path& device, const std::string& type, const Panel& panel) {
  std::error_code error;
  const fs::path owner = fs::canonical(device / "device", error);
  if (!error && owner == panel.path) {
    return kOwnConnectorRank;
  }
  const auto found = std::find(kTypesByPreference.begin(), kTypesByPreference.end(), type);
  if (found == kTypesByPreference.end()) {
    return std::nullopt;
  }
  // The connector's device is <card's device>/drm/cardN/cardN-eDP-1.
  const fs::path card = panel.path.parent_path().parent_path().parent_path();
  if (type == "raw" && (error || !isWithin(owner, card))) {
    return kRawOfAnotherCardRank;
  }
  return 1 + static_cast<int>(found - kTypesByPreference.begin());
}

std::optional<BacklightDevice> readDevice(const fs::path& device, const std::string& connector) {
  const std::optional<std::int64_t> maximum = readMaximum(device);
  if (!maximum) {
    return std::nullopt;
  }
  const auto usable = [&](const std::optional<std::int64_t>& value) {
    return value && *value >= 0 && *value <= *maximum;
  };
  std::optional<std::int64_t> brightness = readInteger(device / "actual_brightness");
  if (!usable(brightness)) {
    brightness = readInteger(device / "brightness");
  }
  if (!usable(brightness)) {
    return std::nullopt;
  }
  return BacklightDevice{device.filename().string(), connector, *maximum, *brightness};
}

}  // namespace

std::optional<BacklightDevice> findBuiltInPanelBacklight(const fs::path& sysfsRoot) {
  const std::optional<Panel> panel = firstConnectedPanel(sysfsRoot);
  if (!panel) {
    return std::nullopt;
  }
  std::error_code error;
  std::optional<int> bestRank;
  std::optional<BacklightDevice> best;
  for (const auto& entry : fs::directory_iterator(sysfsRoot / "class" / "backlight", error)) {
    const std::string type = readAttribute(entry.path() / "type").value_or("");
    const std::optional<int> deviceRank = rank(entry.path(), type, *panel);
    if (!deviceRank) {
      continue;
    }
    std::optional<BacklightDevice> device = readDevice(entry.path(), panel->connector);
    if (device &&
        (!best || std::tie(*deviceRank, device->name) < std::tie(*bestRank, best->name))) {
      bestRank = deviceRank;
      best = std::move(device);
    }
  }
  return best;
}

std::optional<std::int64_t> backlightValue(const fs::path& sysfsRoot, const std::string& name,
                                           std::int64_t value) {
  if (name.empty() || name == "." || name == ".." || name.find('/') != std::string::npos) {
    return std::nullopt;
  }
  const std::optional<std::int64_t> maximum = readMaximum(sysfsRoot / "class" / "backlight" / name);
  if (!maximum) {
    return std::nullopt;
  }
  return std::clamp<std::int64_t>(value, 0, *maximum);
}

}  // namespace platform

#include "platform/screens/DrmEdids.h"

#include <algorithm>
#include <charconv>
#include <fstream>
#include <iterator>
#include <optional>
#include <system_error>
#include <tuple>

namespace platform {
namespace {

namespace fs = std::filesystem;

struct Connector {
  unsigned card = 0;
  std::string name;
  fs::path path;
};

// "card1-DP-2" → card 1, connector "DP-2".
std::optional<Connector> parseConnector(const fs::path& path) {
  const std::string entry = path.filename().string();
  const std::size_t dash = entry.find('-');
  if (!entry.starts_with("card") || dash == std::string::npos || dash == 4) {
    return std::nullopt;
  }
  unsigned card = 0;
  const auto [end, error] = std::from_chars(entry.data() + 4, entry.data() + dash, card);
  if (error != std::errc() || end != entry.data() + dash) {
    return std::nullopt;
  }
  return Connector{card, entry.substr(dash + 1), path};
}

bool isConnected(const fs::path& connector) {
  std::string status;
  std::ifstream(connector / "status") >> status;
  return status == "connected";
}

std::vector<std::uint8_t> readEdid(const fs::path& connector) {
  std::ifstream file(connector / "edid", std::ios::binary);
  return {std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>()};
}

}  // namespace

std::vector<ConnectorEdid> DrmEdids::connected(const std::filesystem::path& sysfsRoot) {
  std::vector<Connector> connectors;
  std::error_code error;
  for (const auto& entry : fs::directory_iterator(sysfsRoot / "class" / "drm", error)) {
    if (std::optional<Connector> connector = parseConnector(entry.path())) {
      connectors.push_back(std::move(*connector));
    }
  }
  std::sort(connectors.begin(), connectors.end(), [](const Connector& a, const Connector& b) {
    return std::tie(a.card, a.name) < std::tie(b.card, b.name);
  });
  std::vector<ConnectorEdid> edids;
  for (const Connector& connector : connectors) {
    if (!isConnected(connector.path)) {
      continue;
    }
    std::vector<std::uint8_t> edid = readEdid(connector.path);
    if (!edid.empty()) {
      edids.push_back({connector.name, std::move(edid)});
    }
  }
  return edids;
}

}  // namespace platform

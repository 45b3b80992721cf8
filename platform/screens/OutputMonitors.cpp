#include "platform/screens/OutputMonitors.h"

#include <algorithm>

#include "platform/screens/EdidReader.h"
#include "platform/screens/QtScreens.h"

namespace platform {

namespace {

OutputMonitor fromMutter(const MutterMonitor& monitor) {
  return {monitor.connector,
          monitor.product.empty() ? std::nullopt : std::optional<std::string>(monitor.product)};
}

OutputMonitor fromDrm(const ConnectorEdid& connector) {
  return {connector.connector, EdidReader::modelName(connector.edid)};
}

}  // namespace

OutputMonitors OutputMonitors::current() {
  return OutputMonitors(MutterMonitors::current(), DrmEdids::connected("/sys"));
}

std::optional<OutputMonitor> OutputMonitors::find(const std::string& output, int x, int y) const {
  const auto atOrigin = std::find_if(mutter_.begin(), mutter_.end(),
                                     [&](const MutterMonitor& m) { return m.x == x && m.y == y; });
  if (atOrigin != mutter_.end()) {
    return fromMutter(*atOrigin);
  }
  if (mutter_.size() == 1) {
    return fromMutter(mutter_.front());
  }
  const auto named = std::find_if(drm_.begin(), drm_.end(),
                                  [&](const ConnectorEdid& c) { return c.connector == output; });
  if (named != drm_.end()) {
    return fromDrm(*named);
  }
  const auto external = std::find_if(drm_.begin(), drm_.end(), [](const ConnectorEdid& c) {
    return !QtScreens::isBuiltInConnector(c.connector);
  });
  if (external != drm_.end()) {
    return fromDrm(*external);
  }
  return std::nullopt;
}

}  // namespace platform

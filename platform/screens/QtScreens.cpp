#include "platform/screens/QtScreens.h"

#include <QCursor>
#include <QGuiApplication>
#include <QScreen>
#include <array>
#include <map>
#include <string_view>
#include <vector>

#include "platform/screens/ConnectorName.h"
#include "platform/screens/DrmEdids.h"
#include "platform/screens/EdidReader.h"
#include "platform/screens/OutputMonitors.h"
#include "platform/screens/XRandrEdids.h"

namespace platform {

namespace {

// The name that marks a screen as the computer's own panel for the monitor
// detection, which skips names containing "Built-in".
constexpr std::string_view kBuiltInName = "Built-in Display";
constexpr std::array<std::string_view, 3> kBuiltInConnectorPrefixes = {"eDP", "LVDS", "DSI"};
// Xwayland names its outputs so; the name says nothing about the monitor.
constexpr std::string_view kXwaylandOutputPrefix = "XWAYLAND";

constexpr const char* kSysfsRoot = "/sys";

using EdidsByConnector = std::map<std::string, std::vector<std::uint8_t>>;

// Mutter and sysfs are read once per listing, and only for an output that
// names no monitor.
class LazyOutputMonitors {
 public:
  const OutputMonitors& get() {
    if (!monitors_) {
      monitors_ = OutputMonitors::current();
    }
    return *monitors_;
  }

 private:
  std::optional<OutputMonitors> monitors_;
};

Rect rectOf(const QRect& rect) { return {rect.x(), rect.y(), rect.width(), rect.height()}; }

// The kernel's connector for an output: the one whose monitor sent the same
// EDID (X drivers number their outputs their own way), else the one of the
// same name.
const ConnectorEdid* kernelConnector(const std::string& output, const EdidsByConnector& edids,
                                     const std::vector<ConnectorEdid>& drm) {
  const auto edid = edids.find(output);
  for (const ConnectorEdid& connector : drm) {
    if (edid != edids.end() ? connector.edid == edid->second
                            : sameConnector(connector.connector, output)) {
      return &connector;
    }
  }
  return nullptr;
}

Screen makeScreen(const QScreen& qtScreen, const EdidsByConnector& edids,
                  const std::vector<ConnectorEdid>& drm, LazyOutputMonitors& outputMonitors) {
  std::string connector = qtScreen.name().toStdString();
  const ConnectorEdid* kernel = kernelConnector(connector, edids, drm);
  std::optional<std::string> model;
  std::optional<std::string> identity;
  if (auto edid = edids.find(connector); edid != edids.end()) {
    model = EdidReader::modelName(edid->second);
    identity = EdidReader::identity(edid->second);
  } else if (kernel != nullptr) {
    identity = EdidReader::identity(kernel->edid);
  }
  // On Wayland XRandR sees only Xwayland; the compositor names the model.
  if (!model && !qtScreen.model().isEmpty()) {
    model = qtScreen.model().toStdString();
  }
  if (!model) {
    const QPoint origin = qtScreen.geometry().topLeft() * qtScreen.devicePixelRatio();
    if (auto monitor = outputMonitors.get().find(connector, origin.x(), origin.y())) {
      connector = monitor->connector;
      model = monitor->model;
    }
  }
  return Screen{QtScreens::displayName(connector, model),
                rectOf(qtScreen.geometry()),
                rectOf(qtScreen.availableGeometry()),
                kernel ? kernel->connector : connector,
                identity.value_or(""),
                qtScreen.name().toStdString()};
}

}  // namespace

bool QtScreens::isBuiltInConnector(const std::string& connector) {
  for (std::string_view prefix : kBuiltInConnectorPrefixes) {
    if (connector.starts_with(prefix)) {
      return true;
    }
  }
  return false;
}

std::string QtScreens::displayName(const std::string& connector,
                                   const std::optional<std::string>& edidModel) {
  if (isBuiltInConnector(connector)) {
    return std::string(kBuiltInName);
  }
  if (!edidModel && connector.starts_with(kXwaylandOutputPrefix)) {
    return {};
  }
  return edidModel.value_or(connector);
}

std::vector<Screen> QtScreens::screens() const {
  const EdidsByConnector edids = XRandrEdids::byConnector();
  const std::vector<ConnectorEdid> drm = DrmEdids::connected(kSysfsRoot);
  LazyOutputMonitors outputMonitors;
  std::vector<Screen> result;
  for (const QScreen* qtScreen : QGuiApplication::screens()) {
    result.push_back(makeScreen(*qtScreen, edids, drm, outputMonitors));
  }
  return result;
}

std::optional<Screen> QtScreens::mainScreen() const {
  const QScreen* primary = QGuiApplication::primaryScreen();
  if (primary == nullptr) {
    return std::nullopt;
  }
  LazyOutputMonitors outputMonitors;
  return makeScreen(*primary, XRandrEdids::byConnector(), DrmEdids::connected(kSysfsRoot),
                    outputMonitors);
}

std::optional<std::string> QtScreens::outputUnderPointer() const {
  if (QGuiApplication::platformName() != QLatin1String("xcb")) {
    return std::nullopt;
  }
  const QScreen* screen = QGuiApplication::screenAt(QCursor::pos());
  if (screen == nullptr) {
    return std::nullopt;
  }
  return screen->name().toStdString();
}

std::shared_ptr<Screens> systemScreens() {
  static const std::shared_ptr<Screens> screens = std::make_shared<QtScreens>();
  return screens;
}

}  // namespace platform

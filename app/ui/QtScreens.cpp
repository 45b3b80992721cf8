#include "app/ui/QtScreens.h"

#include <QGuiApplication>
#include <QScreen>
#include <array>
#include <map>
#include <string_view>
#include <vector>

#include "app/ui/EdidReader.h"
#include "app/ui/ScreenCoordinates.h"
#include "app/ui/XRandrEdids.h"

namespace ui {

namespace {

// The name that marks a screen as the computer's own panel for the monitor
// detection, which skips names containing "Built-in".
constexpr std::string_view kBuiltInName = "Built-in Display";
constexpr std::array<std::string_view, 3> kBuiltInConnectorPrefixes = {"eDP", "LVDS", "DSI"};

bool isBuiltInConnector(const std::string& connector) {
  for (std::string_view prefix : kBuiltInConnectorPrefixes) {
    if (connector.starts_with(prefix)) {
      return true;
    }
  }
  return false;
}

using EdidsByConnector = std::map<std::string, std::vector<std::uint8_t>>;

Screen makeScreen(const QScreen& qtScreen, const EdidsByConnector& edids,
                  const ScreenCoordinates& coordinates) {
  const std::string connector = qtScreen.name().toStdString();
  std::optional<std::string> model;
  if (auto edid = edids.find(connector); edid != edids.end()) {
    model = EdidReader::modelName(edid->second);
  }
  // On Wayland XRandR sees only Xwayland; the compositor names the model.
  if (!model && !qtScreen.model().isEmpty()) {
    model = qtScreen.model().toStdString();
  }
  return Screen{QtScreens::displayName(connector, model),
                coordinates.unflipped(QRectF(qtScreen.geometry())),
                coordinates.unflipped(QRectF(qtScreen.availableGeometry()))};
}

}  // namespace

std::string QtScreens::displayName(const std::string& connector,
                                   const std::optional<std::string>& edidModel) {
  if (isBuiltInConnector(connector)) {
    return std::string(kBuiltInName);
  }
  return edidModel.value_or(connector);
}

std::vector<Screen> QtScreens::screens() const {
  const EdidsByConnector edids = XRandrEdids::byConnector();
  const ScreenCoordinates coordinates = ScreenCoordinates::current();
  std::vector<Screen> result;
  for (const QScreen* qtScreen : QGuiApplication::screens()) {
    result.push_back(makeScreen(*qtScreen, edids, coordinates));
  }
  return result;
}

std::optional<Screen> QtScreens::mainScreen() const {
  const QScreen* primary = QGuiApplication::primaryScreen();
  if (primary == nullptr) {
    return std::nullopt;
  }
  return makeScreen(*primary, XRandrEdids::byConnector(), ScreenCoordinates::current());
}

std::shared_ptr<Screens> systemScreens() {
  static const std::shared_ptr<Screens> screens = std::make_shared<QtScreens>();
  return screens;
}

}  // namespace ui

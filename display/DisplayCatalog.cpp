#include "display/DisplayCatalog.h"

#include <algorithm>
#include <map>

#include "platform/screens/ConnectorName.h"

namespace {

const std::string kMonitorName = "External Monitor";
const std::string kPanelName = "Built-in Display";
const std::string kBacklightIdPrefix = "backlight-";
const std::string kBusIdPrefix = "i2c-";

const platform::Screen* screenOn(const std::string& connector,
                                 const std::vector<platform::Screen>& screens) {
  const auto found = std::find_if(screens.begin(), screens.end(), [&](const auto& screen) {
    return platform::sameConnector(screen.connector, connector);
  });
  return found == screens.end() ? nullptr : &*found;
}

ControlledDisplay monitorOn(const platform::DdcBus& bus,
                            const std::vector<platform::Screen>& screens) {
  ControlledDisplay display;
  display.name = kMonitorName;
  display.connector = bus.connector;
  display.bus = bus.number;
  const platform::Screen* screen = screenOn(bus.connector, screens);
  if (screen != nullptr && !screen->localizedName.empty()) {
    display.name = screen->localizedName;
  }
  if (screen != nullptr) {
    display.outputName = screen->outputName;
  }
  if (screen != nullptr && !screen->identity.empty()) {
    display.id = screen->identity;
  } else {
    display.id = bus.connector.empty() ? kBusIdPrefix + std::to_string(bus.number) : bus.connector;
  }
  return display;
}

// Beside displays set otherwise, a monitor (a screen with an EDID) that takes
// neither DDC/CI nor a backlight is dimmed in software on its own output.
// Alone, such screens share one level, as before any display was known.
void addDimmedInSoftware(std::vector<ControlledDisplay>& displays,
                         const std::vector<platform::Screen>& screens) {
  for (const platform::Screen& screen : screens) {
    const bool controlled = std::any_of(displays.begin(), displays.end(), [&](const auto& shown) {
      return platform::sameConnector(shown.connector, screen.connector);
    });
    if (controlled || screen.identity.empty() || screen.outputName.empty()) {
      continue;
    }
    ControlledDisplay display;
    display.kind = ControlledDisplay::Kind::Software;
    display.id = screen.identity;
    display.name = screen.localizedName.empty() ? kMonitorName : screen.localizedName;
    display.connector = screen.connector;
    display.outputName = screen.outputName;
    displays.push_back(std::move(display));
  }
}

// Two monitors of one model would otherwise get rows of one name.
void tellApartSameNames(std::vector<ControlledDisplay>& displays) {
  std::map<std::string, int> uses;
  for (const ControlledDisplay& display : displays) {
    ++uses[display.name];
  }
  for (ControlledDisplay& display : displays) {
    if (uses[display.name] > 1 && !display.connector.empty()) {
      display.name += " (" + display.connector + ")";
    }
  }
}

}  // namespace

std::vector<ControlledDisplay> DisplayCatalog::list(
    const std::vector<platform::DdcBus>& buses,
    const std::optional<platform::BacklightDevice>& panel,
    const std::vector<platform::Screen>& screens) {
  std::vector<ControlledDisplay> displays;
  for (const platform::DdcBus& bus : buses) {
    displays.push_back(monitorOn(bus, screens));
  }
  if (panel && panel->maximum > 0) {
    const platform::Screen* screen = screenOn(panel->connector, screens);
    ControlledDisplay display;
    display.kind = ControlledDisplay::Kind::BuiltInPanel;
    display.id = kBacklightIdPrefix + panel->name;
    display.name = kPanelName;
    display.connector = panel->connector;
    display.outputName = screen != nullptr ? screen->outputName : "";
    display.backlight = panel->name;
    display.backlightMaximum = panel->maximum;
    displays.push_back(std::move(display));
  }
  if (!displays.empty()) {
    addDimmedInSoftware(displays, screens);
  }
  tellApartSameNames(displays);
  return displays;
}

std::optional<std::string> DisplayCatalog::monitorName(
    const std::vector<platform::Screen>& screens) {
  for (const platform::Screen& screen : screens) {
    const std::string& name = screen.localizedName;
    if (!name.empty() && name.find("Built-in") == std::string::npos &&
        name.find("Color LCD") == std::string::npos) {
      return name;
    }
  }
  return std::nullopt;
}

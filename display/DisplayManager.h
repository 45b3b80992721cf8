#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>

#include "app/ui/Screens.h"
#include "display/DdcTransport.h"
#include "display/GammaFallback.h"
#include "platform/DisplayPortRegistry.h"
#include "platform/DisplayService.h"
#include "platform/DisplayTransferTables.h"
#include "platform/Sleeper.h"
#include "platform/UserDefaults.h"

// The single owner of the external monitor's brightness level: clamps it,
// remembers it, writes it to every display port over DDC/CI (dimming in
// software when no port takes it) and names the external monitor.
class DisplayManager : public std::enable_shared_from_this<DisplayManager> {
 public:
  struct Services {
    std::string displayServiceLibraryPath;
    std::shared_ptr<platform::DisplayPortRegistry> ports;
    std::shared_ptr<platform::DisplayTransferTables> transferTables;
    std::shared_ptr<platform::Sleeper> sleeper;
    std::shared_ptr<platform::UserDefaults> defaults;
    std::shared_ptr<ui::Screens> screens;
  };

  // The one instance with the system's services, created on first use.
  static std::shared_ptr<DisplayManager> shared();

  // Loads the DDC/CI functions, names the monitor and restores the level.
  explicit DisplayManager(Services services);
  ~DisplayManager();
  DisplayManager(const DisplayManager&) = delete;
  DisplayManager& operator=(const DisplayManager&) = delete;

  std::string monitorName = "External Monitor";
  std::int64_t currentBrightness = 70;
  std::function<void(std::int64_t level)> onBrightnessChanged;

  // Clamps to 0–100, stores, saves, sends, then posts onBrightnessChanged.
  void setBrightness(std::int64_t value);
  void stepBrightness(std::int64_t delta);
  void detectMonitorName();

 private:
  void restoreRememberedLevel();
  void scheduleBrightnessChanged(std::int64_t level);

  const std::string prefsKey = "Glimmerbox_Brightness";
  std::shared_ptr<platform::UserDefaults> defaults_;
  std::shared_ptr<ui::Screens> screens_;
  DdcTransport transport_;
  GammaFallback gammaFallback_;
};

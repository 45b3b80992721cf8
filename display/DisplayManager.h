#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>

#include "display/DdcTransport.h"
#include "display/DdcWriter.h"
#include "display/GammaFallback.h"
#include "platform/ddc/DdcBuses.h"
#include "platform/desktop/UserDefaults.h"
#include "platform/gamma/GammaControl.h"
#include "platform/loop/Clock.h"
#include "platform/loop/Sleeper.h"
#include "platform/loop/SteadyClock.h"
#include "platform/screens/Screens.h"

// The single owner of the external monitor's brightness level: clamps it,
// remembers it, has it written to every display port over DDC/CI off the main
// thread (dimming in software when no port takes the newest level) and names
// the external monitor.
class DisplayManager : public std::enable_shared_from_this<DisplayManager> {
 public:
  struct Services {
    std::string displayServiceLibraryPath;
    std::shared_ptr<platform::DdcBuses> buses;
    std::shared_ptr<platform::GammaControl> gamma;
    std::shared_ptr<platform::Sleeper> sleeper;
    std::shared_ptr<platform::UserDefaults> defaults;
    std::shared_ptr<platform::Screens> screens;
    // Paces the messages to each port.
    std::shared_ptr<platform::Clock> clock = std::make_shared<platform::SteadyClock>();
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

  // Clamps to 0–100, stores, saves, hands the level to the port writer, then
  // posts onBrightnessChanged. Returns without waiting for the bus.
  void setBrightness(std::int64_t value);
  void stepBrightness(std::int64_t delta);
  void detectMonitorName();
  // Blocks until the newest level has been written and its outcome posted to
  // the main queue; for callers that must know the monitor has it.
  void waitForWrites();

 private:
  void restoreRememberedLevel();
  void send(std::int64_t level);
  void takeWriteOutcome(std::uint64_t sequence, std::int64_t level, bool accepted);
  void scheduleBrightnessChanged(std::int64_t level);

  const std::string prefsKey = "Glimmerbox_Brightness";
  std::shared_ptr<platform::UserDefaults> defaults_;
  std::shared_ptr<platform::Screens> screens_;
  DdcTransport transport_;
  GammaFallback gammaFallback_;
  // Counts the levels handed to the writer; only the newest one's refusal
  // dims, as a newer level may yet be taken.
  std::uint64_t levelsSent_ = 0;
  DdcWriter writer_;  // Last, so its thread stops before the transport goes.
};

#pragma once

#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "display/ControlledDisplay.h"
#include "display/DdcTransport.h"
#include "display/DdcWriter.h"
#include "display/GammaFallback.h"
#include "display/RememberedLevels.h"
#include "platform/backlight/Backlight.h"
#include "platform/ddc/DdcBuses.h"
#include "platform/desktop/UserDefaults.h"
#include "platform/gamma/GammaControl.h"
#include "platform/loop/Clock.h"
#include "platform/loop/Sleeper.h"
#include "platform/loop/SteadyClock.h"
#include "platform/screens/Screens.h"

// The single owner of the displays' brightness levels: clamps them,
// remembers them, has them written to the monitors over DDC/CI off the main
// thread and to the built-in panel's backlight (dimming in software a
// display that takes neither) and names the external monitor.
//
// With at most one monitor and no built-in panel every display shares one
// level, the remembered "Glimmerbox_Brightness"; otherwise each display has
// its own.
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
    // The built-in panel's backlight; none leaves the panel alone.
    std::shared_ptr<platform::Backlight> backlight = nullptr;
  };

  // The one instance with the system's services, created on first use.
  static std::shared_ptr<DisplayManager> shared();

  // Loads the DDC/CI functions, finds the displays and restores their levels.
  explicit DisplayManager(Services services);
  ~DisplayManager();
  DisplayManager(const DisplayManager&) = delete;
  DisplayManager& operator=(const DisplayManager&) = delete;

  std::string monitorName = "External Monitor";
  // The level set last, on whichever display.
  std::int64_t currentBrightness = 70;
  // Posted after every change of a level, with the level set last.
  std::function<void(std::int64_t level)> onBrightnessChanged;

  // Clamp to 0–100, store, save, hand the level over to be written, then
  // post onBrightnessChanged; they return without waiting for the bus.
  // Without a display id they act on every display.
  void setBrightness(std::int64_t value);
  void stepBrightness(std::int64_t delta);
  void setBrightness(const std::string& displayId, std::int64_t value);
  void stepBrightness(const std::string& displayId, std::int64_t delta);

  // The displays under control, monitors first; empty when none is known.
  const std::vector<ControlledDisplay>& displays() const { return displays_; }
  // Whether each display keeps a level of its own.
  bool levelsPerDisplay() const;

  // Names the monitor and takes up displays plugged in or out since.
  void detectMonitorName();
  // Blocks until the newest levels have been written and their outcome
  // posted to the main queue; for callers that must know the monitor has it.
  void waitForWrites();

 private:
  // Names the monitor and finds the displays; returns the buses to read.
  std::set<unsigned> takeUpDisplays();
  std::set<unsigned> findDisplays(const std::vector<platform::Screen>& screens);
  void restoreRememberedLevel();
  void dimMonitorWithoutPort(unsigned bus);
  // False when nothing was remembered for the display.
  bool restoreLevelOf(ControlledDisplay& display);
  void takeReport(unsigned bus, const std::optional<Luminance>& luminance, bool portOpens);
  // Adds what the writer is to send a monitor to `writes`.
  void setLevelOf(ControlledDisplay& display, std::int64_t level,
                  std::map<unsigned, DdcWriter::Level>& writes);
  void sendToEveryBus(std::int64_t level);
  void takeWriteOutcomes(const std::vector<DdcWriter::Outcome>& outcomes);
  std::string outputOfBus(unsigned bus) const;
  void scheduleBrightnessChanged(std::int64_t level);
  ControlledDisplay* displayWithId(const std::string& id);

  std::shared_ptr<platform::DdcBuses> buses_;
  std::shared_ptr<platform::Screens> screens_;
  std::shared_ptr<platform::Backlight> backlight_;
  RememberedLevels remembered_;
  DdcTransport transport_;
  GammaFallback gammaFallback_;
  std::vector<ControlledDisplay> displays_;
  // Numbers the levels handed to the writer; only the newest level's
  // refusal dims, as a newer level may yet be taken.
  std::uint64_t levelsSent_ = 0;
  std::map<unsigned, std::uint64_t> newestLevelOfBus_;
  // Monitors with no remembered level, which take the one they report
  // unless a level is set first.
  std::set<unsigned> awaitingReport_;
  DdcWriter writer_;  // Last, so its thread stops before the transport goes.
};

#include "display/DisplayManager.h"

#include <algorithm>

#include "display/BacklightLevels.h"
#include "display/DisplayCatalog.h"
#include "display/LevelSteps.h"
#include "platform/loop/MainQueue.h"

DisplayManager::DisplayManager(Services services)
    : buses_(services.buses),
      screens_(std::move(services.screens)),
      backlight_(std::move(services.backlight)),
      remembered_(std::move(services.defaults)),
      transport_(services.displayServiceLibraryPath, std::move(services.buses),
                 std::move(services.sleeper), std::move(services.clock)),
      gammaFallback_(std::move(services.gamma)),
      writer_(
          transport_,
          [this](const std::vector<DdcWriter::Outcome>& outcomes) {
            loop::postToMain([weakSelf = weak_from_this(), outcomes] {
              if (auto self = weakSelf.lock()) {
                self->takeWriteOutcomes(outcomes);
              }
            });
          },
          [this](unsigned bus, std::optional<Luminance> luminance, bool portOpens) {
            loop::postToMain([weakSelf = weak_from_this(), bus, luminance, portOpens] {
              if (auto self = weakSelf.lock()) {
                self->takeReport(bus, luminance, portOpens);
              }
            });
          }) {
  const std::set<unsigned> unread = takeUpDisplays();
  if (levelsPerDisplay()) {
    currentBrightness = displays_.front().level;
  } else {
    restoreRememberedLevel();
  }
  // Last: from its first read on, the transport belongs to the writer's thread.
  writer_.read(unread);
}

DisplayManager::~DisplayManager() = default;

bool DisplayManager::levelsPerDisplay() const {
  return displays_.size() > 1 ||
         (displays_.size() == 1 && displays_.front().kind != ControlledDisplay::Kind::Monitor);
}

// A monitor keeps its own level, so nothing is written to it; a screen dimmed
// in software (no port we may open) had its gamma given back when the
// program last quit, so the level shown is applied to it again.
void DisplayManager::restoreRememberedLevel() {
  const std::optional<std::int64_t> remembered = remembered_.shared();
  if (!remembered) {
    return;
  }
  currentBrightness = *remembered;
  for (ControlledDisplay& display : displays_) {
    display.level = *remembered;
  }
  if (*remembered < kMaximumLevel && !transport_.anyPortOpens()) {
    gammaFallback_.dim(*remembered);
  }
}

bool DisplayManager::restoreLevelOf(ControlledDisplay& display) {
  if (std::optional<std::int64_t> remembered = remembered_.of(display)) {
    display.level = *remembered;
    // Its gamma was given back when the program last quit.
    if (display.kind == ControlledDisplay::Kind::Software && *remembered < kMaximumLevel) {
      gammaFallback_.dim(*remembered, display.outputName);
    }
    return true;
  }
  if (display.kind == ControlledDisplay::Kind::BuiltInPanel) {
    if (auto device = backlight_->builtInPanel(); device && device->name == display.backlight) {
      display.level = BacklightLevels(device->maximum).levelForValue(device->brightness);
    }
  }
  return false;
}

void DisplayManager::setBrightness(std::int64_t value) {
  const std::int64_t level = clampedLevel(value);
  currentBrightness = level;
  if (levelsPerDisplay()) {
    std::map<unsigned, DdcWriter::Level> writes;
    for (ControlledDisplay& display : displays_) {
      setLevelOf(display, level, writes);
    }
    writer_.submit(writes);
  } else {
    for (ControlledDisplay& display : displays_) {
      display.level = level;
    }
    remembered_.saveShared(level);
    awaitingReport_.clear();
    sendToEveryBus(level);
  }
  scheduleBrightnessChanged(level);
}

void DisplayManager::stepBrightness(std::int64_t delta) {
  if (!levelsPerDisplay()) {
    setBrightness(saturatingSum(currentBrightness, delta));
    return;
  }
  std::map<unsigned, DdcWriter::Level> writes;
  for (ControlledDisplay& display : displays_) {
    setLevelOf(display, clampedLevel(saturatingSum(display.level, delta)), writes);
  }
  writer_.submit(writes);
  currentBrightness = displays_.front().level;
  scheduleBrightnessChanged(currentBrightness);
}

void DisplayManager::setBrightness(const std::string& displayId, std::int64_t value) {
  ControlledDisplay* display = displayWithId(displayId);
  if (display == nullptr) {
    return;
  }
  if (!levelsPerDisplay()) {
    setBrightness(value);
    return;
  }
  std::map<unsigned, DdcWriter::Level> writes;
  setLevelOf(*display, clampedLevel(value), writes);
  writer_.submit(writes);
  currentBrightness = display->level;
  scheduleBrightnessChanged(currentBrightness);
}

void DisplayManager::stepBrightness(const std::string& displayId, std::int64_t delta) {
  if (ControlledDisplay* display = displayWithId(displayId)) {
    setBrightness(displayId, saturatingSum(display->level, delta));
  }
}

ControlledDisplay* DisplayManager::displayWithId(const std::string& id) {
  const auto found =
      std::find_if(displays_.begin(), displays_.end(),
                   [&](const ControlledDisplay& display) { return display.id == id; });
  return found == displays_.end() ? nullptr : &*found;
}

void DisplayManager::setLevelOf(ControlledDisplay& display, std::int64_t level,
                                std::map<unsigned, DdcWriter::Level>& writes) {
  display.level = level;
  remembered_.save(display);
  if (display.kind == ControlledDisplay::Kind::BuiltInPanel) {
    backlight_->setBrightness(display.backlight,
                              BacklightLevels(display.backlightMaximum).valueForLevel(level));
  } else if (display.kind == ControlledDisplay::Kind::Software ||
             !transport_.functionsAvailable()) {
    gammaFallback_.dim(level, display.outputName);
  } else {
    awaitingReport_.erase(display.bus);
    newestLevelOfBus_[display.bus] = ++levelsSent_;
    writes[display.bus] = {level, levelsSent_};
  }
}

void DisplayManager::sendToEveryBus(std::int64_t level) {
  if (!transport_.functionsAvailable()) {
    gammaFallback_.dim(level);
    return;
  }
  writer_.submitToEveryBus({level, ++levelsSent_});
}

// On the main thread, in the order the levels were written. Only the newest
// level's refusal dims, as a newer level may yet be taken.
void DisplayManager::takeWriteOutcomes(const std::vector<DdcWriter::Outcome>& outcomes) {
  std::vector<GammaFallback::Result> results;
  for (const DdcWriter::Outcome& outcome : outcomes) {
    const std::uint64_t newest = outcome.bus ? newestLevelOfBus_[*outcome.bus] : levelsSent_;
    results.push_back({outcome.bus ? outputOfBus(*outcome.bus) : "", outcome.level.value,
                       outcome.accepted, outcome.level.sequence == newest});
  }
  gammaFallback_.take(results);
}

std::string DisplayManager::outputOfBus(unsigned bus) const {
  const auto display = std::find_if(displays_.begin(), displays_.end(), [&](const auto& shown) {
    return shown.kind == ControlledDisplay::Kind::Monitor && shown.bus == bus;
  });
  return display == displays_.end() ? "" : display->outputName;
}

// A level set since the request stands; a monitor that did not answer
// keeps the level it started with, dimmed if its port does not open.
void DisplayManager::takeReport(unsigned bus, const std::optional<Luminance>& luminance,
                                bool portOpens) {
  if (!luminance && !portOpens) {
    dimMonitorWithoutPort(bus);
  }
  if (!luminance || awaitingReport_.erase(bus) == 0) {
    return;
  }
  for (ControlledDisplay& display : displays_) {
    if (display.kind == ControlledDisplay::Kind::Monitor && display.bus == bus) {
      display.level = luminance->level();
      if (!levelsPerDisplay()) {
        currentBrightness = display.level;
      }
      scheduleBrightnessChanged(display.level);
    }
  }
}

// Like a screen dimmed in software, a monitor whose port we may not open
// had its gamma given back when the program last quit, or was plugged in
// since; it is dimmed again to the level remembered for it.
void DisplayManager::dimMonitorWithoutPort(unsigned bus) {
  if (!levelsPerDisplay()) {
    return;  // One level: dimmed at start with every output, by restoreRememberedLevel.
  }
  for (const ControlledDisplay& display : displays_) {
    if (display.kind == ControlledDisplay::Kind::Monitor && display.bus == bus &&
        display.level < kMaximumLevel && !display.outputName.empty() &&
        !awaitingReport_.contains(bus)) {
      gammaFallback_.dim(display.level, display.outputName);
    }
  }
}

void DisplayManager::waitForWrites() { writer_.waitUntilIdle(); }

void DisplayManager::scheduleBrightnessChanged(std::int64_t level) {
  loop::postToMain([weakSelf = weak_from_this(), level] {
    auto self = weakSelf.lock();
    if (!self || !self->onBrightnessChanged) {
      return;
    }
    // A copy, so the callback may replace itself while it runs.
    auto callback = self->onBrightnessChanged;
    callback(level);
  });
}

void DisplayManager::detectMonitorName() { writer_.read(takeUpDisplays()); }

std::set<unsigned> DisplayManager::takeUpDisplays() {
  const std::vector<platform::Screen> screens = screens_->screens();
  std::set<unsigned> unread = findDisplays(screens);
  if (auto monitor = DisplayCatalog::monitorName(screens)) {
    monitorName = *monitor;
  } else if (auto main = screens_->mainScreen()) {
    monitorName = main->localizedName;
  }
  return unread;
}

// Displays seen before keep their levels; new ones take theirs from what
// was remembered, or from the panel itself. Returns the new monitors' buses,
// to be read for their level and scale.
std::set<unsigned> DisplayManager::findDisplays(const std::vector<platform::Screen>& screens) {
  const platform::DdcBusList buses = buses_->list();
  std::vector<ControlledDisplay> found = DisplayCatalog::list(
      buses.buses, backlight_ ? backlight_->builtInPanel() : std::nullopt, screens);
  const bool wasPerDisplay = levelsPerDisplay();
  std::set<unsigned> unread;
  for (ControlledDisplay& display : found) {
    if (const ControlledDisplay* known = displayWithId(display.id)) {
      display.level = wasPerDisplay ? known->level : currentBrightness;
    } else {
      display.level = currentBrightness;
      const bool remembered = restoreLevelOf(display);
      if (display.kind == ControlledDisplay::Kind::Monitor) {
        unread.insert(display.bus);
        if (!remembered) {
          awaitingReport_.insert(display.bus);
        }
      }
    }
  }
  displays_ = std::move(found);
  if (wasPerDisplay && !levelsPerDisplay() && !displays_.empty()) {
    currentBrightness = displays_.front().level;
  }
  return unread;
}

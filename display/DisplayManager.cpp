#include "display/DisplayManager.h"

#include <algorithm>
#include <limits>

#include "platform/ddc/SysfsDdcBuses.h"
#include "platform/desktop/ExecutableLocation.h"
#include "platform/desktop/QSettingsUserDefaults.h"
#include "platform/gamma/SessionGamma.h"
#include "platform/loop/MainQueue.h"
#include "platform/loop/UsleepSleeper.h"

namespace {

constexpr std::int64_t kMinimumLevel = 0;
constexpr std::int64_t kMaximumLevel = 100;

// A remembered 0 is treated like no remembered level: the monitor should not
// come up looking switched off.
constexpr std::int64_t kLowestRestoredLevel = 1;

// Installed and built alike as <prefix>/bin/glimmerbox and
// <prefix>/lib/glimmerbox/libglimmerbox-displayservice.so.
constexpr const char* kDisplayServiceLibrary = "../lib/glimmerbox/libglimmerbox-displayservice.so";

const std::string kBuiltInMarker = "Built-in";
const std::string kColorLcdMarker = "Color LCD";

bool namesBuiltInPanel(const std::string& name) {
  return name.find(kBuiltInMarker) != std::string::npos ||
         name.find(kColorLcdMarker) != std::string::npos;
}

// current + delta without overflowing for any delta.
std::int64_t saturatingSum(std::int64_t current, std::int64_t delta) {
  if (delta > 0 && current > std::numeric_limits<std::int64_t>::max() - delta) {
    return std::numeric_limits<std::int64_t>::max();
  }
  if (delta < 0 && current < std::numeric_limits<std::int64_t>::min() - delta) {
    return std::numeric_limits<std::int64_t>::min();
  }
  return current + delta;
}

}  // namespace

std::shared_ptr<DisplayManager> DisplayManager::shared() {
  // Never destroyed: after exit() from Qt's X11 plugin (the display went
  // away) its gamma ramps could not be put back through the dead connection.
  static const auto* const instance =
      new std::shared_ptr<DisplayManager>(std::make_shared<DisplayManager>(Services{
          (platform::ExecutableLocation::directory() / kDisplayServiceLibrary).string(),
          std::make_shared<platform::SysfsDdcBuses>(), platform::sessionGamma(),
          std::make_shared<platform::UsleepSleeper>(),
          std::make_shared<platform::QSettingsUserDefaults>(), platform::systemScreens()}));
  return *instance;
}

DisplayManager::DisplayManager(Services services)
    : defaults_(std::move(services.defaults)),
      screens_(std::move(services.screens)),
      transport_(services.displayServiceLibraryPath, std::move(services.buses),
                 std::move(services.sleeper), std::move(services.clock)),
      gammaFallback_(std::move(services.gamma)),
      writer_(transport_) {
  detectMonitorName();
  restoreRememberedLevel();
}

DisplayManager::~DisplayManager() = default;

// A monitor keeps its own level, so nothing is written to it; a screen dimmed
// in software (no port we may open) had its gamma given back when the
// program last quit, so the level shown is applied to it again.
void DisplayManager::restoreRememberedLevel() {
  const std::int64_t remembered = defaults_->integerForKey(prefsKey);
  if (remembered < kLowestRestoredLevel || remembered > kMaximumLevel) {
    return;
  }
  currentBrightness = remembered;
  if (remembered < kMaximumLevel && !transport_.anyPortOpens()) {
    gammaFallback_.dim(remembered);
  }
}

void DisplayManager::setBrightness(std::int64_t value) {
  const std::int64_t level = std::clamp(value, kMinimumLevel, kMaximumLevel);
  currentBrightness = level;
  defaults_->setInteger(level, prefsKey);
  send(level);
  scheduleBrightnessChanged(level);
}

void DisplayManager::send(std::int64_t level) {
  if (!transport_.functionsAvailable()) {
    gammaFallback_.dim(level);
    return;
  }
  const std::uint64_t sequence = ++levelsSent_;
  writer_.submit(level, [weakSelf = weak_from_this(), sequence, level](bool accepted) {
    loop::postToMain([weakSelf, sequence, level, accepted] {
      if (auto self = weakSelf.lock()) {
        self->takeWriteOutcome(sequence, level, accepted);
      }
    });
  });
}

// On the main thread, in the order the levels were written.
void DisplayManager::takeWriteOutcome(std::uint64_t sequence, std::int64_t level, bool accepted) {
  if (accepted) {
    gammaFallback_.restoreIfDimmed();
  } else if (sequence == levelsSent_) {
    gammaFallback_.dim(level);
  }
}

void DisplayManager::waitForWrites() { writer_.waitUntilIdle(); }

void DisplayManager::stepBrightness(std::int64_t delta) {
  setBrightness(saturatingSum(currentBrightness, delta));
}

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

void DisplayManager::detectMonitorName() {
  for (const platform::Screen& screen : screens_->screens()) {
    if (!screen.localizedName.empty() && !namesBuiltInPanel(screen.localizedName)) {
      monitorName = screen.localizedName;
      return;
    }
  }
  if (auto main = screens_->mainScreen()) {
    monitorName = main->localizedName;
  }
}

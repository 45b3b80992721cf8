#include "display/DisplayManager.h"

#include "platform/backlight/LogindBacklight.h"
#include "platform/ddc/SysfsDdcBuses.h"
#include "platform/desktop/ExecutableLocation.h"
#include "platform/desktop/QSettingsUserDefaults.h"
#include "platform/gamma/SessionGamma.h"
#include "platform/loop/UsleepSleeper.h"

namespace {

// Installed and built alike as <prefix>/bin/glimmerbox and
// <prefix>/lib/glimmerbox/libglimmerbox-displayservice.so.
constexpr const char* kDisplayServiceLibrary = "../lib/glimmerbox/libglimmerbox-displayservice.so";

}  // namespace

std::shared_ptr<DisplayManager> DisplayManager::shared() {
  // Never destroyed: after exit() from Qt's X11 plugin (the display went
  // away) its gamma ramps could not be put back through the dead connection.
  static const auto* const instance =
      new std::shared_ptr<DisplayManager>(std::make_shared<DisplayManager>(
          Services{(platform::ExecutableLocation::directory() / kDisplayServiceLibrary).string(),
                   std::make_shared<platform::SysfsDdcBuses>(), platform::sessionGamma(),
                   std::make_shared<platform::UsleepSleeper>(),
                   std::make_shared<platform::QSettingsUserDefaults>(), platform::systemScreens(),
                   std::make_shared<platform::SteadyClock>(),
                   std::make_shared<platform::LogindBacklight>()}));
  return *instance;
}

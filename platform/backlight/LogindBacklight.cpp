#include "platform/backlight/LogindBacklight.h"

#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusPendingCallWatcher>
#include <QObject>
#include <algorithm>
#include <cstdio>
#include <map>
#include <set>

#include "platform/backlight/BacklightSysfs.h"

namespace platform {
namespace {

constexpr const char* kService = "org.freedesktop.login1";
// logind's name for the caller's own session, or the user's display session.
constexpr const char* kSessionPath = "/org/freedesktop/login1/session/auto";
constexpr const char* kSessionInterface = "org.freedesktop.login1.Session";
constexpr const char* kSubsystem = "backlight";

}  // namespace

struct LogindBacklight::Impl {
  std::filesystem::path sysfsRoot;
  std::set<std::string> inFlight;
  std::map<std::string, std::uint32_t> waiting;
  std::set<QString> reportedErrors;
  QObject replies;  // Parent of the answers awaited; they end with this object.

  void send(const std::string& name, std::uint32_t value) {
    QDBusMessage call =
        QDBusMessage::createMethodCall(kService, kSessionPath, kSessionInterface, "SetBrightness");
    call << QString::fromLatin1(kSubsystem) << QString::fromStdString(name) << value;
    auto* answer =
        new QDBusPendingCallWatcher(QDBusConnection::systemBus().asyncCall(call), &replies);
    inFlight.insert(name);
    QObject::connect(answer, &QDBusPendingCallWatcher::finished, &replies,
                     [this, name](QDBusPendingCallWatcher* finished) {
                       if (finished->isError()) {
                         report(finished->error());
                       }
                       finished->deleteLater();
                       answered(name);
                     });
  }

  void answered(const std::string& name) {
    inFlight.erase(name);
    if (const auto next = waiting.find(name); next != waiting.end()) {
      const std::uint32_t value = next->second;
      waiting.erase(next);
      send(name, value);
    }
  }

  // Once per kind of error: a refusal repeats with every key press.
  void report(const QDBusError& error) {
    if (reportedErrors.insert(error.name()).second) {
      std::fprintf(stderr, "glimmerbox: logind did not set the panel's brightness: %s: %s\n",
                   qPrintable(error.name()), qPrintable(error.message()));
    }
  }
};

LogindBacklight::LogindBacklight(std::filesystem::path sysfsRoot)
    : impl_(std::make_unique<Impl>()) {
  impl_->sysfsRoot = std::move(sysfsRoot);
}

LogindBacklight::~LogindBacklight() = default;

std::optional<BacklightDevice> LogindBacklight::builtInPanel() {
  return findBuiltInPanelBacklight(impl_->sysfsRoot);
}

void LogindBacklight::setBrightness(const std::string& name, std::int64_t value) {
  const std::optional<std::int64_t> maximum = backlightMaximum(impl_->sysfsRoot, name);
  if (!maximum) {
    return;
  }
  const auto clamped = static_cast<std::uint32_t>(std::clamp<std::int64_t>(value, 0, *maximum));
  if (impl_->inFlight.contains(name)) {
    impl_->waiting[name] = clamped;
  } else {
    impl_->send(name, clamped);
  }
}

}  // namespace platform

#include "platform/backlight/LogindBacklight.h"

#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusPendingCallWatcher>
#include <QObject>
#include <cstdio>
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
  std::set<QString> reportedErrors;
  QObject replies;  // Parent of the answers awaited; they end with this object.

  // logind answers at once, so each value goes out on its own call.
  void send(const std::string& name, std::uint32_t value) {
    QDBusMessage call =
        QDBusMessage::createMethodCall(kService, kSessionPath, kSessionInterface, "SetBrightness");
    call << QString::fromLatin1(kSubsystem) << QString::fromStdString(name) << value;
    auto* answer =
        new QDBusPendingCallWatcher(QDBusConnection::systemBus().asyncCall(call), &replies);
    QObject::connect(answer, &QDBusPendingCallWatcher::finished, &replies,
                     [this](QDBusPendingCallWatcher* finished) {
                       if (finished->isError()) {
                         report(finished->error());
                       }
                       finished->deleteLater();
                     });
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
  if (const std::optional<std::int64_t> clamped = backlightValue(impl_->sysfsRoot, name, value)) {
    impl_->send(name, static_cast<std::uint32_t>(*clamped));
  }
}

}  // namespace platform

#include "platform/desktop/QSettingsUserDefaults.h"

#include <QCoreApplication>
#include <QFile>
#include <QMetaObject>
#include <QSettings>
#include <QString>
#include <QVariant>
#include <cstdio>

#include "platform/desktop/UnwritableReason.h"

namespace platform {

namespace {

const QString kOrganization = QStringLiteral("Glimmerbox");
const QString kApplication = QStringLiteral("Glimmerbox");

// Writes the values; NoError when they reached the disk. QSettings saves
// through a temporary file renamed over the old one, so a save that fails
// halfway leaves the old file whole.
QSettings::Status writeThroughFreshSettings(const std::map<std::string, std::int64_t>& values) {
  QSettings settings(kOrganization, kApplication);
  if (settings.status() != QSettings::NoError) {
    return settings.status();
  }
  for (const auto& [key, value] : values) {
    settings.setValue(QString::fromStdString(key), static_cast<qlonglong>(value));
  }
  settings.sync();
  return settings.status();
}

bool writeValues(const std::map<std::string, std::int64_t>& values) {
  QSettings::Status status = writeThroughFreshSettings(values);
  if (status == QSettings::FormatError) {
    // QSettings never overwrites a file it could not parse: start afresh.
    QFile::remove(QSettings(kOrganization, kApplication).fileName());
    status = writeThroughFreshSettings(values);
  }
  return status == QSettings::NoError;
}

std::string settingsPath() {
  return QSettings(kOrganization, kApplication).fileName().toStdString();
}

}  // namespace

QSettingsUserDefaults::QSettingsUserDefaults() : pending_(std::make_shared<Pending>()) {}

QSettingsUserDefaults::~QSettingsUserDefaults() { write(*pending_); }

std::int64_t QSettingsUserDefaults::integerForKey(const std::string& key) {
  if (auto recorded = pending_->values.find(key); recorded != pending_->values.end()) {
    return recorded->second;
  }
  QSettings settings(kOrganization, kApplication);
  if (settings.status() != QSettings::NoError) {
    return 0;
  }
  // The file stores text; anything but a whole number ("abc", "12abc",
  // "12.5") reads as 0 instead of whatever prefix a lenient parse finds.
  bool isWholeNumber = false;
  const qlonglong value = settings.value(QString::fromStdString(key)).toLongLong(&isWholeNumber);
  return isWholeNumber ? value : 0;
}

void QSettingsUserDefaults::setInteger(std::int64_t value, const std::string& key) {
  pending_->values[key] = value;
  if (pending_->writePosted) {
    return;
  }
  QCoreApplication* application = QCoreApplication::instance();
  if (application == nullptr) {
    write(*pending_);  // No event loop will ever turn.
    return;
  }
  pending_->writePosted = true;
  QMetaObject::invokeMethod(
      application,
      [weakPending = std::weak_ptr<Pending>(pending_)] {
        if (auto pending = weakPending.lock()) {
          write(*pending);
        }
      },
      Qt::QueuedConnection);
}

void QSettingsUserDefaults::write(Pending& pending) {
  pending.writePosted = false;
  if (pending.values.empty()) {
    return;
  }
  // Values not saved stay recorded, for the next save to take along. Each
  // change between failing and working is said once.
  if (!writeValues(pending.values)) {
    if (!pending.failing) {
      const std::string path = settingsPath();
      std::fprintf(stderr, "glimmerbox: cannot save settings to %s: %s\n", path.c_str(),
                   unwritableReason(path).c_str());
      pending.failing = true;
    }
    return;
  }
  if (pending.failing) {
    std::fprintf(stderr, "glimmerbox: settings saved to %s again\n", settingsPath().c_str());
    pending.failing = false;
  }
  pending.values.clear();
}

}  // namespace platform

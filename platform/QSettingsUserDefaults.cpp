#include "platform/QSettingsUserDefaults.h"

#include <QCoreApplication>
#include <QFile>
#include <QMetaObject>
#include <QSettings>
#include <QString>
#include <QVariant>

namespace platform {

namespace {

const QString kOrganization = QStringLiteral("Glimmerbox");
const QString kApplication = QStringLiteral("Glimmerbox");

// Writes the values and reports whether they reached the disk.
bool writeThroughFreshSettings(const std::map<std::string, std::int64_t>& values) {
  QSettings settings(kOrganization, kApplication);
  if (settings.status() != QSettings::NoError) {
    return false;
  }
  for (const auto& [key, value] : values) {
    settings.setValue(QString::fromStdString(key), static_cast<qlonglong>(value));
  }
  settings.sync();
  return settings.status() == QSettings::NoError;
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
  if (!writeThroughFreshSettings(pending.values)) {
    // QSettings never overwrites a file it could not parse: start afresh.
    QFile::remove(QSettings(kOrganization, kApplication).fileName());
    writeThroughFreshSettings(pending.values);
  }
  pending.values.clear();
}

}  // namespace platform

#pragma once

#include <map>
#include <memory>

#include "platform/desktop/UserDefaults.h"

namespace platform {

// The user's defaults in QSettings under organization and application
// "Glimmerbox" ($XDG_CONFIG_HOME/Glimmerbox/Glimmerbox.conf). Setting a value
// only records it and posts one write to the main queue, so a burst of
// changes costs one disk write; reads see the recorded value at once. A
// malformed or unreadable file reads as empty; a malformed one is replaced by
// the next write. A save that fails (the file or its folder not writable, a
// full disk) is said once on stderr with the reason, and once more when
// saving works again. Use from the main thread.
class QSettingsUserDefaults : public UserDefaults {
 public:
  QSettingsUserDefaults();
  ~QSettingsUserDefaults() override;  // Writes what is still recorded.
  QSettingsUserDefaults(const QSettingsUserDefaults&) = delete;
  QSettingsUserDefaults& operator=(const QSettingsUserDefaults&) = delete;

  std::int64_t integerForKey(const std::string& key) override;
  void setInteger(std::int64_t value, const std::string& key) override;

 private:
  struct Pending {
    std::map<std::string, std::int64_t> values;
    bool writePosted = false;
    bool failing = false;
  };
  static void write(Pending& pending);

  std::shared_ptr<Pending> pending_;
};

}  // namespace platform

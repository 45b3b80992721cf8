#pragma once

#include <cstdint>
#include <memory>
#include <optional>

#include "display/ControlledDisplay.h"
#include "platform/desktop/UserDefaults.h"

// Where the levels are kept between runs. Displays that share one level keep
// it under "Glimmerbox_Brightness"; a display with a level of its own keeps it
// under "Glimmerbox_Brightness_<id>".
class RememberedLevels {
 public:
  explicit RememberedLevels(std::shared_ptr<platform::UserDefaults> defaults);

  // A remembered 0 reads as nothing: the monitor should not come up looking
  // switched off.
  std::optional<std::int64_t> shared() const;
  // A monitor without a level of its own takes the shared one, which it
  // showed before it had one; the panel, set apart before, never does.
  std::optional<std::int64_t> of(const ControlledDisplay& display) const;

  void saveShared(std::int64_t level);
  void save(const ControlledDisplay& display);

 private:
  std::optional<std::int64_t> read(const std::string& key) const;

  std::shared_ptr<platform::UserDefaults> defaults_;
};

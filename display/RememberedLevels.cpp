#include "display/RememberedLevels.h"

#include <string>

#include "display/LevelSteps.h"

namespace {

const std::string kSharedKey = "Glimmerbox_Brightness";
constexpr std::int64_t kLowestRestoredLevel = 1;

std::string keyOf(const ControlledDisplay& display) { return kSharedKey + "_" + display.id; }

}  // namespace

RememberedLevels::RememberedLevels(std::shared_ptr<platform::UserDefaults> defaults)
    : defaults_(std::move(defaults)) {}

std::optional<std::int64_t> RememberedLevels::shared() const { return read(kSharedKey); }

std::optional<std::int64_t> RememberedLevels::of(const ControlledDisplay& display) const {
  if (auto own = read(keyOf(display))) {
    return own;
  }
  return display.kind == ControlledDisplay::Kind::BuiltInPanel ? std::nullopt : shared();
}

void RememberedLevels::saveShared(std::int64_t level) { defaults_->setInteger(level, kSharedKey); }

void RememberedLevels::save(const ControlledDisplay& display) {
  defaults_->setInteger(display.level, keyOf(display));
}

std::optional<std::int64_t> RememberedLevels::read(const std::string& key) const {
  const std::int64_t remembered = defaults_->integerForKey(key);
  if (remembered < kLowestRestoredLevel || remembered > kMaximumLevel) {
    return std::nullopt;
  }
  return remembered;
}

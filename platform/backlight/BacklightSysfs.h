#pragma once

#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>

#include "platform/backlight/Backlight.h"

namespace platform {

// The backlight of the first connected built-in panel (eDP, LVDS, DSI) under
// `sysfsRoot`/class/drm, in order of card, then connector name. Among the
// devices in class/backlight, one whose device is that connector wins;
// otherwise firmware before platform before raw, and a raw device of the
// panel's own graphics card before one of another card. Devices with
// unreadable or nonsensical attributes are passed over.
std::optional<BacklightDevice> findBuiltInPanelBacklight(const std::filesystem::path& sysfsRoot);

// `value` clamped to the device's 0..max_brightness; nothing when `name` is
// not a plain file name or the device has no usable maximum.
std::optional<std::int64_t> backlightValue(const std::filesystem::path& sysfsRoot,
                                           const std::string& name, std::int64_t value);

}  // namespace platform

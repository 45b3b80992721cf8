#pragma once

#include <cstdint>
#include <string>

// A level as the popover and the HUD show it: its digits and a percent
// sign, nothing else ("0%", "7%", "100%").
inline std::string levelText(std::int64_t level) { return std::to_string(level) + "%"; }

#pragma once

#include <QRect>
#include <array>
#include <cstdint>

// Where every control of the popover sits, in pixels from its top-left
// corner. The rows down to the checkbox stay put; the banner and the rows
// under it keep their distance from the lower edge, which moves down by the
// banner's 48 pixels while it shows.
namespace popover_layout {

inline constexpr int kWidth = 280;
inline constexpr int kHeightWithAccess = 200;
inline constexpr int kHeightWithBanner = 248;

inline constexpr QRect kDisplayIcon{16, 12, 20, 20};
inline constexpr QRect kTitleLabel{42, 12, 170, 20};
inline constexpr QRect kPercentLabel{215, 12, 50, 20};
inline constexpr QRect kMinIcon{16, 52, 16, 16};
inline constexpr QRect kSlider{38, 50, 204, 20};
inline constexpr QRect kMaxIcon{248, 52, 16, 16};

// With a row per display, each further display's name, level and slider sit
// this much lower than the one before, and the rows below move down with them.
inline constexpr int kDisplayRowStep = 64;

inline constexpr std::array<std::int64_t, 4> kPresetLevels{25, 50, 75, 100};
inline constexpr QRect kFirstPreset{16, 82, 56, 24};
inline constexpr int kPresetStep = 64;

inline constexpr QRect kCheckbox{16, 128, 125, 20};
inline constexpr QRect kHintLabel{145, 128, 120, 20};

// Frames with the view 248 high; the banner shows only then.
inline constexpr QRect kBanner{16, 158, 248, 42};
inline constexpr QRect kWarningIcon{24, 170, 18, 18};
inline constexpr QRect kWarningLabel{46, 170, 135, 18};
inline constexpr QRect kPermissionButton{184, 166, 72, 26};

// Frames with the view 200 high, moved down with the lower edge.
inline constexpr QRect kDivider{0, 159, kWidth, 1};
inline constexpr QRect kQuitButton{156, 167, 110, 26};
inline constexpr QRect kVersionLabel{16, 172, 135, 18};

}  // namespace popover_layout

#pragma once

#include <array>
#include <cstdint>

#include "app/ui/Geometry.h"

// Where every control of the popover sits, in points, origin lower left.
// Frames are those of the 200-point layout the view is created with.
namespace popover_layout {

inline constexpr double kWidth = 280;
inline constexpr double kHeightWithAccess = 200;
// The banner (42 high) and its margins make the taller layout.
inline constexpr double kHeightWithBanner = 248;

inline constexpr ui::Rect kRootFrame{0, 0, kWidth, kHeightWithAccess};

inline constexpr ui::Rect kDisplayIcon{16, 168, 20, 20};
inline constexpr ui::Rect kTitleLabel{42, 168, 170, 20};
inline constexpr ui::Rect kPercentLabel{215, 168, 50, 20};
inline constexpr ui::Rect kMinIcon{16, 132, 16, 16};
inline constexpr ui::Rect kSlider{38, 130, 204, 20};
inline constexpr ui::Rect kMaxIcon{248, 132, 16, 16};

inline constexpr std::array<std::int64_t, 4> kPresetLevels{25, 50, 75, 100};
inline constexpr double kPresetX = 16;
inline constexpr double kPresetY = 94;
inline constexpr double kPresetWidth = 56;
inline constexpr double kPresetHeight = 24;
inline constexpr double kPresetGap = 8;

inline constexpr ui::Rect kCheckbox{16, 64, 125, 20};
inline constexpr ui::Rect kHintLabel{145, 64, 120, 20};
inline constexpr ui::Rect kPermissionContainer{16, 44, 248, 42};
inline constexpr ui::Rect kWarningIcon{8, 12, 18, 18};
inline constexpr ui::Rect kWarningLabel{30, 12, 135, 18};
inline constexpr ui::Rect kPermissionButton{168, 8, 72, 26};
inline constexpr ui::Rect kDivider{0, 38, kWidth, 1};
inline constexpr ui::Rect kQuitButton{156, 6, 110, 26};
inline constexpr ui::Rect kVersionLabel{16, 10, 135, 18};

inline constexpr ui::Rect presetFrame(std::size_t index) {
  return {kPresetX + static_cast<double>(index) * (kPresetWidth + kPresetGap), kPresetY,
          kPresetWidth, kPresetHeight};
}

// The vertical layout for the banner's state. The title, slider and preset
// rows move up with the top edge when the view grows, keeping their 12-point
// top margin and clear of the checkbox row.
struct BannerLayout {
  double rootHeight;
  double topRowsShift;
  double checkboxRowY;
  double bannerY;
  double dividerY;
  double quitY;
};

inline constexpr BannerLayout kLayoutWithAccess{kHeightWithAccess, 0, 52, 48, 40, 7};
inline constexpr BannerLayout kLayoutWithBanner{
    kHeightWithBanner, kHeightWithBanner - kHeightWithAccess, 100, 48, 40, 7};

}  // namespace popover_layout

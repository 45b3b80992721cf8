#include "display/GammaFallback.h"

#include <algorithm>
#include <array>
#include <vector>

#include "platform/Log.h"

namespace {

// Below this level a software-dimmed screen would be too dark to read.
constexpr std::int64_t kDimmestLevel = 10;
constexpr float kPercent = 100.0f;
constexpr float kFullTop = 1.0f;
constexpr std::uint32_t kTableSize = 2;

}  // namespace

GammaFallback::GammaFallback(std::shared_ptr<platform::DisplayTransferTables> tables)
    : tables_(std::move(tables)) {}

void GammaFallback::dim(std::int64_t level) {
  const std::size_t dimmedDisplays =
      applyToActiveDisplays(static_cast<float>(std::max(level, kDimmestLevel)) / kPercent);
  dimmed_ = true;
  if (dimmedDisplays == 0 && !toldNothingDims_) {
    toldNothingDims_ = true;
    platform::logLine(
        "[DisplayManager] Software dimming unavailable: no display takes a gamma table");
  }
}

void GammaFallback::restoreIfDimmed() {
  if (!dimmed_) {
    return;
  }
  applyToActiveDisplays(kFullTop);
  dimmed_ = false;
}

std::size_t GammaFallback::applyToActiveDisplays(float top) {
  const std::array<float, kTableSize> table = {0.0f, top};
  std::uint32_t count = 0;
  if (tables_->getActiveDisplayList(0, nullptr, count) != 0 || count == 0) {
    return 0;
  }
  std::vector<std::uint32_t> displays(count, 0);
  // The list may have shrunk between the two calls: use only the ids filled.
  if (tables_->getActiveDisplayList(count, displays.data(), count) != 0) {
    return 0;
  }
  displays.resize(std::min<std::size_t>(count, displays.size()));
  return static_cast<std::size_t>(
      std::count_if(displays.begin(), displays.end(), [&](auto display) {
        return tables_->setDisplayTransferByTable(display, kTableSize, table.data(), table.data(),
                                                  table.data()) == 0;
      }));
}

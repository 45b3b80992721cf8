#include "display/GammaFallback.h"

#include <algorithm>
#include <array>
#include <vector>

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
  applyToActiveDisplays(static_cast<float>(std::max(level, kDimmestLevel)) / kPercent);
  dimmed_ = true;
}

void GammaFallback::restoreIfDimmed() {
  if (!dimmed_) {
    return;
  }
  applyToActiveDisplays(kFullTop);
  dimmed_ = false;
}

void GammaFallback::applyToActiveDisplays(float top) {
  const std::array<float, kTableSize> table = {0.0f, top};
  std::uint32_t count = 0;
  if (tables_->getActiveDisplayList(0, nullptr, count) != 0 || count == 0) {
    return;
  }
  std::vector<std::uint32_t> displays(count, 0);
  // The list may have shrunk between the two calls: use only the ids filled.
  if (tables_->getActiveDisplayList(count, displays.data(), count) != 0) {
    return;
  }
  displays.resize(std::min<std::size_t>(count, displays.size()));
  for (std::uint32_t display : displays) {
    tables_->setDisplayTransferByTable(display, kTableSize, table.data(), table.data(),
                                       table.data());
  }
}

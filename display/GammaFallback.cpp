#include "display/GammaFallback.h"

#include <algorithm>
#include <iterator>
#include <optional>
#include <vector>

#include "platform/loop/Log.h"

namespace {

// Below this level a software-dimmed screen would be too dark to read.
constexpr std::int64_t kDimmestLevel = 10;
constexpr double kPercent = 100.0;
constexpr double kFullBrightness = 1.0;

}  // namespace

GammaFallback::GammaFallback(std::shared_ptr<platform::GammaControl> gamma)
    : gamma_(std::move(gamma)) {}

void GammaFallback::dim(std::int64_t level, const std::string& outputName) {
  const std::size_t dimmedOutputs =
      applyToOutputs(static_cast<double>(std::max(level, kDimmestLevel)) / kPercent, outputName);
  dimmed_.insert(outputName);
  if (dimmedOutputs == 0 && !toldNothingDims_) {
    toldNothingDims_ = true;
    platform::logLine(
        "[DisplayManager] Software dimming unavailable: no display takes a gamma table");
  }
}

void GammaFallback::restoreIfDimmed(const std::string& outputName) {
  if (dimmed_.erase(outputName) == 0) {
    return;
  }
  applyToOutputs(kFullBrightness, outputName);
}

void GammaFallback::take(const std::vector<Result>& results) {
  bool anyUnnamed = false;
  bool unnamedAccepted = false;
  std::optional<std::int64_t> unnamedRefused;
  for (const Result& result : results) {
    if (result.outputName.empty()) {
      anyUnnamed = true;
      unnamedAccepted = unnamedAccepted || result.accepted;
      if (!result.accepted && result.newest) {
        unnamedRefused = result.level;
      }
    } else if (result.accepted) {
      restoreIfDimmed(result.outputName);
    } else if (result.newest) {
      dim(result.level, result.outputName);
    }
  }
  if (anyUnnamed && unnamedAccepted) {
    restoreIfDimmed();
  } else if (unnamedRefused) {
    dim(*unnamedRefused);
  }
}

// An output name no lit output has (the display server names it otherwise)
// falls back to every output, as when no name is known.
std::size_t GammaFallback::applyToOutputs(double fraction, const std::string& outputName) {
  std::vector<std::uint32_t> outputs = gamma_->outputs();
  std::vector<std::uint32_t> named;
  std::copy_if(outputs.begin(), outputs.end(), std::back_inserter(named),
               [&](auto output) { return gamma_->outputName(output) == outputName; });
  if (!named.empty()) {
    outputs = std::move(named);
  }
  return static_cast<std::size_t>(std::count_if(outputs.begin(), outputs.end(), [&](auto output) {
    return gamma_->setBrightness(output, fraction);
  }));
}

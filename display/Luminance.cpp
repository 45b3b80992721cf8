#include "display/Luminance.h"

namespace {

constexpr std::int64_t kHighestLevel = 100;

// numerator / denominator to the nearest whole number, halves up; both are
// non-negative and the denominator positive.
std::int64_t roundedQuotient(std::int64_t numerator, std::int64_t denominator) {
  return (2 * numerator + denominator) / (2 * denominator);
}

}  // namespace

std::int64_t Luminance::level() const { return roundedQuotient(current * kHighestLevel, maximum); }

std::int64_t scaledLevel(std::int64_t level, std::int64_t maximum) {
  return roundedQuotient(level * maximum, kHighestLevel);
}

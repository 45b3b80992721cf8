#include "platform/EmptyDisplayPortRegistry.h"

namespace platform {

namespace {
// Any non-zero id serves: the iterator holds nothing to release.
constexpr std::uint32_t kEmptyIterator = 1;
}  // namespace

std::int32_t EmptyDisplayPortRegistry::getMatchingServices(std::uint32_t& iterator) {
  iterator = kEmptyIterator;
  return 0;
}

std::uint32_t EmptyDisplayPortRegistry::iteratorNext(std::uint32_t) { return 0; }

void EmptyDisplayPortRegistry::objectRelease(std::uint32_t) {}

}  // namespace platform

#pragma once

#include "platform/DisplayPortRegistry.h"

namespace platform {

// A registry that finds no display port: every enumeration succeeds and
// yields nothing, so every brightness change takes the software fallback.
class EmptyDisplayPortRegistry : public DisplayPortRegistry {
 public:
  std::int32_t getMatchingServices(std::uint32_t& iterator) override;
  std::uint32_t iteratorNext(std::uint32_t iterator) override;
  void objectRelease(std::uint32_t object) override;
};

}  // namespace platform

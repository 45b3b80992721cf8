#pragma once

#include "platform/DisplayTransferTables.h"

namespace platform {

// Transfer tables of a system with no active display: the list is empty, so
// nothing is ever dimmed.
class NoActiveDisplayTables : public DisplayTransferTables {
 public:
  std::int32_t getActiveDisplayList(std::uint32_t maxDisplays, std::uint32_t* displays,
                                    std::uint32_t& count) override;
  std::int32_t setDisplayTransferByTable(std::uint32_t display, std::uint32_t tableSize,
                                         const float* red, const float* green,
                                         const float* blue) override;
};

}  // namespace platform

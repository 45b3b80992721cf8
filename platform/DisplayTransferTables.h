#pragma once

#include <algorithm>
#include <cstdint>
#include <vector>

namespace platform {

// Software dimming: the active displays and their colour transfer tables.
class DisplayTransferTables {
 public:
  virtual ~DisplayTransferTables() = default;

  // With `maxDisplays` 0 and a null buffer, sets `count` to the number of
  // active displays; otherwise fills at most `maxDisplays` ids. Returns 0 on
  // success.
  virtual std::int32_t getActiveDisplayList(std::uint32_t maxDisplays, std::uint32_t* displays,
                                            std::uint32_t& count) = 0;

  // Applies a linear transfer table of `tableSize` entries per channel to one
  // display. Returns 0 on success.
  virtual std::int32_t setDisplayTransferByTable(std::uint32_t display, std::uint32_t tableSize,
                                                 const float* red, const float* green,
                                                 const float* blue) = 0;
};

// Answers getActiveDisplayList from the ids of the active displays: their
// count for a null buffer or `maxDisplays` 0, otherwise at most `maxDisplays`
// of them.
inline std::int32_t answerDisplayList(const std::vector<std::uint32_t>& active,
                                      std::uint32_t maxDisplays, std::uint32_t* displays,
                                      std::uint32_t& count) {
  if (displays == nullptr || maxDisplays == 0) {
    count = static_cast<std::uint32_t>(active.size());
    return 0;
  }
  count = std::min(maxDisplays, static_cast<std::uint32_t>(active.size()));
  std::copy_n(active.begin(), count, displays);
  return 0;
}

}  // namespace platform

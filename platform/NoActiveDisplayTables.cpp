#include "platform/NoActiveDisplayTables.h"

namespace platform {

std::int32_t NoActiveDisplayTables::getActiveDisplayList(std::uint32_t, std::uint32_t*,
                                                         std::uint32_t& count) {
  count = 0;
  return 0;
}

// Only reached with an id from the list, which is always empty.
std::int32_t NoActiveDisplayTables::setDisplayTransferByTable(std::uint32_t, std::uint32_t,
                                                              const float*, const float*,
                                                              const float*) {
  return -1;
}

}  // namespace platform

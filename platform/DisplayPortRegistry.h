#pragma once

#include <cstdint>

namespace platform {

// The display ports that may carry DDC/CI, enumerated the way a service
// registry hands them out: an iterator of non-zero service ids. Ids and
// iterators are objects that the caller releases. A service id is what
// IOAVServiceCreateWithService of the display-service library takes.
class DisplayPortRegistry {
 public:
  virtual ~DisplayPortRegistry() = default;

  // Enumerates the ports afresh. Returns 0 and sets `iterator`, or a negative
  // status on a real failure (no ports at all is 0 and an empty iterator).
  virtual std::int32_t getMatchingServices(std::uint32_t& iterator) = 0;

  // The next service id of the iterator, or 0 when it is exhausted.
  virtual std::uint32_t iteratorNext(std::uint32_t iterator) = 0;

  // Releases a service id or an iterator.
  virtual void objectRelease(std::uint32_t object) = 0;
};

}  // namespace platform

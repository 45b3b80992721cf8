#pragma once

#include <sys/types.h>

#include <optional>

namespace keyservice {

// The user whose session is active on the seat the keyboards belong to.
class SessionOwnerLookup {
 public:
  virtual ~SessionOwnerLookup() = default;
  virtual std::optional<uid_t> activeOwner() = 0;
};

}  // namespace keyservice

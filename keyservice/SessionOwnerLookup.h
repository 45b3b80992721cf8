#pragma once

#include <sys/types.h>

#include <optional>

namespace keyservice {

// The user whose session is active on the seat the keyboards belong to.
class SessionOwnerLookup {
 public:
  virtual ~SessionOwnerLookup() = default;
  virtual std::optional<uid_t> activeOwner() = 0;
  // Readable when the active session may have changed; -1 when changes are
  // not followed (the owner never changes).
  virtual int changesFd() const { return -1; }
  // Clears changesFd's readiness; activeOwner then tells the news.
  virtual void takeChanges() {}
};

}  // namespace keyservice

#pragma once

#include "keyservice/SessionOwnerLookup.h"

namespace keyservice {

// One named user counts as the session owner: for machines without logind,
// such as the test machines, where the service is started by hand.
class FixedSessionOwnerLookup : public SessionOwnerLookup {
 public:
  explicit FixedSessionOwnerLookup(uid_t owner) : owner_(owner) {}
  std::optional<uid_t> activeOwner() override { return owner_; }

 private:
  const uid_t owner_;
};

}  // namespace keyservice

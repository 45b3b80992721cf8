#pragma once

#include "keyservice/SessionOwnerLookup.h"

namespace keyservice {

// Asks systemd-logind which session is active on seat0.
class LoginSessionOwnerLookup : public SessionOwnerLookup {
 public:
  std::optional<uid_t> activeOwner() override;
};

}  // namespace keyservice

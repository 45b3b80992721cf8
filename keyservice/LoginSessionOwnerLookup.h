#pragma once

#include "keyservice/SessionOwnerLookup.h"

struct sd_login_monitor;

namespace keyservice {

// Asks systemd-logind which session is active on seat0, and follows the
// seat's changes (a user switch, a lock screen's greeter) through its monitor.
class LoginSessionOwnerLookup : public SessionOwnerLookup {
 public:
  LoginSessionOwnerLookup();
  ~LoginSessionOwnerLookup() override;
  LoginSessionOwnerLookup(const LoginSessionOwnerLookup&) = delete;
  LoginSessionOwnerLookup& operator=(const LoginSessionOwnerLookup&) = delete;

  std::optional<uid_t> activeOwner() override;
  int changesFd() const override;
  void takeChanges() override;

 private:
  sd_login_monitor* monitor_ = nullptr;
};

}  // namespace keyservice

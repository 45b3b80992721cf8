#include "keyservice/LoginSessionOwnerLookup.h"

#include <systemd/sd-login.h>

#include <cstdlib>

namespace keyservice {

namespace {

// Keyboards without a seat tag belong to the first seat.
constexpr const char* kSeat = "seat0";

}  // namespace

// Without logind's seat folder there is no monitor, and the owner is asked
// only when a client connects.
LoginSessionOwnerLookup::LoginSessionOwnerLookup() {
  if (sd_login_monitor_new("seat", &monitor_) < 0) {
    monitor_ = nullptr;
  }
}

LoginSessionOwnerLookup::~LoginSessionOwnerLookup() { sd_login_monitor_unref(monitor_); }

std::optional<uid_t> LoginSessionOwnerLookup::activeOwner() {
  char* session = nullptr;
  uid_t owner = 0;
  if (sd_seat_get_active(kSeat, &session, &owner) < 0) {
    return std::nullopt;
  }
  std::free(session);
  return owner;
}

int LoginSessionOwnerLookup::changesFd() const {
  return monitor_ == nullptr ? -1 : sd_login_monitor_get_fd(monitor_);
}

void LoginSessionOwnerLookup::takeChanges() {
  if (monitor_ != nullptr) {
    sd_login_monitor_flush(monitor_);
  }
}

}  // namespace keyservice

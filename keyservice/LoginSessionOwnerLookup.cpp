#include "keyservice/LoginSessionOwnerLookup.h"

#include <systemd/sd-login.h>

#include <cstdlib>

namespace keyservice {

namespace {

// Keyboards without a seat tag belong to the first seat.
constexpr const char* kSeat = "seat0";

}  // namespace

std::optional<uid_t> LoginSessionOwnerLookup::activeOwner() {
  char* session = nullptr;
  uid_t owner = 0;
  if (sd_seat_get_active(kSeat, &session, &owner) < 0) {
    return std::nullopt;
  }
  std::free(session);
  return owner;
}

}  // namespace keyservice

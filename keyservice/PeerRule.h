#pragma once

#include <sys/types.h>

#include <optional>

#include "platform/keyservice-protocol/KeyServiceMessage.h"

namespace keyservice {

// Who may connect: the owner of the seat's active session, while no client of
// that owner is served. A client served for a user whose session is no longer
// active is stale and gives way. Refusal::None admits the peer.
platform::KeyServiceMessage::Refusal judgePeer(uid_t peer, std::optional<uid_t> activeOwner,
                                               std::optional<uid_t> servedUid);

}  // namespace keyservice

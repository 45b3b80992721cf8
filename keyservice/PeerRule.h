#pragma once

#include <sys/types.h>

#include <optional>

#include "platform/KeyServiceMessage.h"

namespace keyservice {

// Who may connect: the owner of the seat's active session, and only while no
// other client is served. Refusal::None admits the peer.
platform::KeyServiceMessage::Refusal judgePeer(uid_t peer, std::optional<uid_t> activeOwner,
                                               bool clientConnected);

}  // namespace keyservice

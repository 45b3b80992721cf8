#include "keyservice/PeerRule.h"

namespace keyservice {

using Refusal = platform::KeyServiceMessage::Refusal;

Refusal judgePeer(uid_t peer, std::optional<uid_t> activeOwner, bool clientConnected) {
  if (!activeOwner || *activeOwner != peer) {
    return Refusal::NotSessionOwner;
  }
  return clientConnected ? Refusal::Busy : Refusal::None;
}

}  // namespace keyservice

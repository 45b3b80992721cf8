#include "keyservice/PeerRule.h"

namespace keyservice {

using Refusal = platform::KeyServiceMessage::Refusal;

Refusal judgePeer(uid_t peer, std::optional<uid_t> activeOwner, std::optional<uid_t> servedUid) {
  if (!activeOwner || *activeOwner != peer) {
    return Refusal::NotSessionOwner;
  }
  return servedUid == activeOwner ? Refusal::Busy : Refusal::None;
}

}  // namespace keyservice

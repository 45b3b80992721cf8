#include <gtest/gtest.h>

#include "keyservice/PeerRule.h"

using Refusal = platform::KeyServiceMessage::Refusal;

// The owner admitted alone, and then busy, is in KeyServiceTest; another
// user alone is refused in tests/vm/keyservice. Here: the owner check comes
// before the busy one, and without an active session nobody is admitted.
TEST(PeerRule, OnlyTheActiveOwnerAloneIsAdmitted) {
  struct Case {
    uid_t peer;
    std::optional<uid_t> owner;
    bool clientConnected;
    Refusal expected;
  };
  const Case cases[] = {
      {1001, 1000, true, Refusal::NotSessionOwner},
      {1000, std::nullopt, false, Refusal::NotSessionOwner},  // no active session
  };
  for (const Case& c : cases) {
    EXPECT_EQ(keyservice::judgePeer(c.peer, c.owner, c.clientConnected), c.expected)
        << c.peer << ' ' << c.clientConnected;
  }
}

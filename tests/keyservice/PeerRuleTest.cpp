#include <gtest/gtest.h>

#include "keyservice/PeerRule.h"

using Refusal = platform::KeyServiceMessage::Refusal;

// The owner admitted alone, and then busy, is in KeyServiceTest; another
// user alone is refused in tests/vm/keyservice. Here: the owner check comes
// before the busy one, without an active session nobody is admitted, and a
// client of a user whose session went inactive gives way to the owner.
TEST(PeerRule, OnlyTheActiveOwnerAloneIsAdmitted) {
  struct Case {
    uid_t peer;
    std::optional<uid_t> owner;
    std::optional<uid_t> served;
    Refusal expected;
  };
  const Case cases[] = {
      {1001, 1000, 1000, Refusal::NotSessionOwner},
      {1000, std::nullopt, std::nullopt, Refusal::NotSessionOwner},  // no active session
      {1000, 1000, 1001, Refusal::None},
      {1001, 1000, 1001, Refusal::NotSessionOwner},  // the stale client's second program
  };
  for (const Case& c : cases) {
    EXPECT_EQ(keyservice::judgePeer(c.peer, c.owner, c.served), c.expected)
        << c.peer << ' ' << c.served.value_or(0);
  }
}

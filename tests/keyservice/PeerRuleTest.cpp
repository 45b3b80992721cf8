#include <gtest/gtest.h>

#include "keyservice/PeerRule.h"

using Refusal = platform::KeyServiceMessage::Refusal;

TEST(PeerRule, OnlyTheActiveOwnerAloneIsAdmitted) {
  struct Case {
    uid_t peer;
    std::optional<uid_t> owner;
    bool clientConnected;
    Refusal expected;
  };
  const Case cases[] = {
      {1000, 1000, false, Refusal::None},
      {1000, 1000, true, Refusal::Busy},
      {1001, 1000, false, Refusal::NotSessionOwner},
      {1001, 1000, true, Refusal::NotSessionOwner},
      {0, 1000, false, Refusal::NotSessionOwner},             // root owns no session here
      {1000, std::nullopt, false, Refusal::NotSessionOwner},  // no active session
  };
  for (const Case& c : cases) {
    EXPECT_EQ(keyservice::judgePeer(c.peer, c.owner, c.clientConnected), c.expected)
        << c.peer << ' ' << c.clientConnected;
  }
}

#include "platform/keyservice-protocol/KeyServiceMessage.h"

#include <gtest/gtest.h>

using platform::KeyServiceMessage;
using Bytes = KeyServiceMessage::Bytes;
using Refusal = KeyServiceMessage::Refusal;

// The service and the program may come from different builds: each message
// has fixed bytes, and anything else is rejected.
TEST(KeyServiceMessage, EachMessageHasFixedBytesAndAnythingElseIsRejected) {
  const std::pair<KeyServiceMessage, Bytes> wire[] = {
      {KeyServiceMessage::accepted(), {1, 1, 0, 0}},
      {KeyServiceMessage::refused(Refusal::NotSessionOwner), {1, 2, 1, 0}},
      {KeyServiceMessage::refused(Refusal::Busy), {1, 2, 2, 0}},
      {KeyServiceMessage::refused(Refusal::NoKeyboards), {1, 2, 3, 0}},
      {KeyServiceMessage::press(true, false), {1, 3, 1, 0}},
      {KeyServiceMessage::press(false, true), {1, 3, 2, 0}},
  };
  for (const auto& [message, bytes] : wire) {
    EXPECT_EQ(message.encode(), bytes);
    EXPECT_EQ(KeyServiceMessage::decode(bytes), message);
  }
  const Bytes garbage[] = {
      {0, 3, 1, 0},  // older version
      {1, 0, 0, 0},  // no such kind
      {1, 1, 1, 0},  // an acceptance with a value
      {1, 2, 0, 0},  // a refusal without a reason
      {1, 2, 4, 0},  // an unknown reason
      {1, 3, 4, 0},  // a press with unknown bits
      {1, 3, 1, 1},  // padding not zero
  };
  for (const Bytes& bytes : garbage) {
    EXPECT_FALSE(KeyServiceMessage::decode(bytes).has_value()) << testing::PrintToString(bytes);
  }
}

#include <gtest/gtest.h>

#include "platform/KeyServiceMessage.h"

using platform::KeyServiceMessage;
using Bytes = KeyServiceMessage::Bytes;
using Refusal = KeyServiceMessage::Refusal;

TEST(KeyServiceMessage, EveryMessageSurvivesTheWire) {
  const KeyServiceMessage messages[] = {
      KeyServiceMessage::accepted(),
      KeyServiceMessage::refused(Refusal::NotSessionOwner),
      KeyServiceMessage::refused(Refusal::Busy),
      KeyServiceMessage::refused(Refusal::NoKeyboards),
      KeyServiceMessage::press(true, false),
      KeyServiceMessage::press(false, false),
      KeyServiceMessage::press(true, true),
      KeyServiceMessage::press(false, true),
  };
  for (const KeyServiceMessage& message : messages) {
    const Bytes bytes = message.encode();
    EXPECT_EQ(bytes[0], KeyServiceMessage::kVersion);
    EXPECT_EQ(KeyServiceMessage::decode(bytes), message);
  }
}

TEST(KeyServiceMessage, PressBitsAreFixed) {
  EXPECT_EQ(KeyServiceMessage::press(true, true).encode(), (Bytes{1, 3, 3, 0}));
  EXPECT_EQ(KeyServiceMessage::press(false, true).encode(), (Bytes{1, 3, 2, 0}));
}

TEST(KeyServiceMessage, GarbageIsRejected) {
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
    EXPECT_FALSE(KeyServiceMessage::decode(bytes).has_value())
        << int(bytes[0]) << ' ' << int(bytes[1]) << ' ' << int(bytes[2]) << ' ' << int(bytes[3]);
  }
}

#include <gtest/gtest.h>

#include <vector>

#include "platform/KeyCapabilities.h"

namespace {

struct Case {
  const char* name;
  const char* text;
  std::vector<int> keys;
};

// Words are 64 bits here: the brightness keys (224, 225) sit in the fourth.
const Case kCases[] = {
    {"LowestWordAlone", "2\n", {KEY_ESC}},
    {"BrightnessKeysInFourthWord", "300000000 0 0 0\n", {KEY_BRIGHTNESSDOWN, KEY_BRIGHTNESSUP}},
    {"F14AndF15", "0 300000000000000 0 0", {KEY_F14, KEY_F15}},
    {"Empty", "", {}},
    {"NotHex", "12z 0", {}},
};

TEST(KeyCapabilitiesTest, ReadsTheKeysTheDeviceCanSend) {
  for (const Case& c : kCases) {
    platform::InputDevice::KeyBits expected;
    for (int key : c.keys) expected.set(key);
    EXPECT_EQ(platform::KeyCapabilities::parse(c.text), expected) << c.name;
  }
}

}  // namespace

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

void PrintTo(const Case& value, std::ostream* out) { *out << value.name; }

class KeyCapabilitiesTest : public testing::TestWithParam<Case> {};

TEST_P(KeyCapabilitiesTest, ReadsTheKeysTheDeviceCanSend) {
  platform::InputDevice::KeyBits expected;
  for (int key : GetParam().keys) {
    expected.set(key);
  }
  EXPECT_EQ(platform::KeyCapabilities::parse(GetParam().text), expected);
}

INSTANTIATE_TEST_SUITE_P(SysfsTexts, KeyCapabilitiesTest, testing::ValuesIn(kCases),
                         [](const auto& info) { return info.param.name; });

}  // namespace

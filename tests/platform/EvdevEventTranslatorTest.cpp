#include <gtest/gtest.h>

#include <optional>

#include "platform/EvdevEventTranslator.h"

namespace {

using platform::EvdevEventTranslator;
using platform::TapEvent;
namespace te = platform::tapevent;

constexpr std::uint64_t kFlags = te::kFlagShift | te::kFlagOption;

TapEvent special(std::int64_t data1) {
  return {te::kSystemDefined, 0, kFlags, te::kSubtypeAuxControlButtons, data1};
}

struct Case {
  const char* name;
  std::uint16_t code;
  std::int32_t value;
  std::optional<TapEvent> expected;
};

bool operator==(const TapEvent& a, const TapEvent& b) {
  return a.type == b.type && a.keyCode == b.keyCode && a.flags == b.flags &&
         a.subtype == b.subtype && a.data1 == b.data1;
}

const Case kCases[] = {
    {"BrightnessUpPress", KEY_BRIGHTNESSUP, 1, special(0x20A00)},
    {"BrightnessUpRepeat", KEY_BRIGHTNESSUP, 2, special(0x20A01)},
    {"BrightnessUpRelease", KEY_BRIGHTNESSUP, 0, special(0x20B00)},
    {"BrightnessDownPress", KEY_BRIGHTNESSDOWN, 1, special(0x30A00)},
    {"BrightnessDownRelease", KEY_BRIGHTNESSDOWN, 0, special(0x30B00)},
    {"F14Press", KEY_F14, 1, TapEvent{te::kKeyDown, 107, kFlags, 0, 0}},
    {"F14RepeatIsAKeyDown", KEY_F14, 2, TapEvent{te::kKeyDown, 107, kFlags, 0, 0}},
    {"F15Press", KEY_F15, 1, TapEvent{te::kKeyDown, 113, kFlags, 0, 0}},
    {"F15ReleaseIsAKeyUp", KEY_F15, 0, TapEvent{te::kKeyUp, 113, kFlags, 0, 0}},
    {"LetterIsNotTranslated", KEY_A, 1, std::nullopt},
    {"F13IsNotTranslated", KEY_F13, 1, std::nullopt},
    {"VolumeIsNotTranslated", KEY_VOLUMEUP, 1, std::nullopt},
};

TEST(EvdevEventTranslatorTest, TranslatesIntoTheTapEventModel) {
  for (const Case& c : kCases) {
    std::optional<TapEvent> event = EvdevEventTranslator::translate(c.code, c.value, kFlags);
    EXPECT_EQ(EvdevEventTranslator::isTranslated(c.code), c.expected.has_value()) << c.name;
    EXPECT_EQ(event.has_value(), c.expected.has_value()) << c.name;
    EXPECT_TRUE(!event || *event == *c.expected) << c.name;
  }
}

TEST(EvdevModifierFlagsTest, MapsBothSidesOfEachModifierAndIgnoresOtherKeys) {
  platform::InputDevice::KeyBits keys;
  keys.set(KEY_RIGHTSHIFT).set(KEY_LEFTCTRL).set(KEY_RIGHTALT).set(KEY_LEFTMETA).set(KEY_CAPSLOCK);
  EXPECT_EQ(EvdevEventTranslator::modifierFlags(keys),
            te::kFlagShift | te::kFlagControl | te::kFlagOption | te::kFlagCommand);
  EXPECT_EQ(EvdevEventTranslator::modifierFlags(platform::InputDevice::KeyBits().set(KEY_FN)), 0u);
}

}  // namespace

#include <gtest/gtest.h>

#include <optional>
#include <set>
#include <tuple>
#include <utility>
#include <vector>

#include "platform/input/BrightnessKeyRule.h"
#include "platform/input/EvdevFrameFilter.h"

// What reaches the kernel's clone, ordinary frames and modifiers included, is
// checked in tests/vm/keyservice; these are the frame rules and key rules a
// real keyboard cannot be made to show at will.
namespace {

using platform::InputEvent;
using platform::KeyReport;
using platform::TapVerdict;

InputEvent key(std::uint16_t code, std::int32_t value) { return {EV_KEY, code, value}; }
InputEvent scan(std::int32_t value) { return {EV_MSC, MSC_SCAN, value}; }
const InputEvent kSyn{EV_SYN, SYN_REPORT, 0};

using Keys = std::set<std::pair<std::uint16_t, std::int32_t>>;  // (code, value)

// Feeds `in` through a filter whose callback deletes the key events in `deleted`.
std::vector<InputEvent> feed(platform::EvdevFrameFilter& filter, const std::vector<InputEvent>& in,
                             const Keys& deleted = {}) {
  std::vector<InputEvent> out;
  for (const InputEvent& event : in) {
    filter.feed(
        event,
        [&](const InputEvent& k) {
          return deleted.count({k.code, k.value}) ? TapVerdict::Delete : TapVerdict::Pass;
        },
        out);
  }
  return out;
}

TEST(EvdevFrameFilterTest, EmitsWholeFramesWithoutTheDeletedKeys) {
  const Keys upTaken{{KEY_BRIGHTNESSUP, 1}, {KEY_BRIGHTNESSUP, 2}, {KEY_BRIGHTNESSUP, 0}};
  using Events = std::vector<InputEvent>;
  const std::tuple<const char*, Events, Keys, Events> scripts[] = {
      {"a deleted key takes its scan; the empty frame vanishes",
       {scan(0xe0), key(KEY_BRIGHTNESSUP, 1), kSyn, key(KEY_BRIGHTNESSUP, 2), kSyn},
       upTaken,
       {}},
      {"only the deleted key leaves a mixed frame",
       {scan(0xe0), key(KEY_BRIGHTNESSUP, 1), scan(30), key(KEY_A, 1), kSyn},
       upTaken,
       {scan(30), key(KEY_A, 1), kSyn}},
      {"nothing goes out before the frame ends", {scan(30), key(KEY_A, 1)}, {}, {}},
      {"the dropped marker is not passed on; a held key's repeat is",
       {{EV_SYN, SYN_DROPPED, 0}, key(KEY_A, 1), kSyn, key(KEY_A, 2), kSyn},
       {},
       {key(KEY_A, 1), kSyn, key(KEY_A, 2), kSyn}},
      {"release and repeat of keys the clone never got are dropped",
       {key(KEY_F14, 1), kSyn, key(KEY_F14, 0), kSyn, key(KEY_F15, 2), kSyn},
       {{KEY_F14, 1}},
       {}},
      {"the release of a held key passes even when taken",
       {key(KEY_BRIGHTNESSUP, 1), kSyn, key(KEY_BRIGHTNESSUP, 0), kSyn},
       {{KEY_BRIGHTNESSUP, 0}},
       {key(KEY_BRIGHTNESSUP, 1), kSyn, key(KEY_BRIGHTNESSUP, 0), kSyn}},
  };
  for (const auto& [name, in, deleted, out] : scripts) {
    platform::EvdevFrameFilter filter;
    EXPECT_EQ(feed(filter, in, deleted), out) << name;
  }
}

TEST(EvdevFrameFilterTest, ReleasesEveryKeyTheCloneStillHoldsOnce) {
  platform::EvdevFrameFilter filter;
  feed(filter, {key(KEY_A, 1), key(KEY_B, 1), kSyn, key(KEY_B, 0), key(KEY_C, 1), kSyn});
  EXPECT_EQ(filter.releaseHeldKeys(),
            (std::vector<InputEvent>{key(KEY_A, 0), key(KEY_C, 0), kSyn}));
  EXPECT_TRUE(filter.releaseHeldKeys().empty());
}

// Modifiers held on another keyboard, and the release that passes when the
// clone holds the key, go through the service in tests/vm/keyservice.
TEST(BrightnessKeyRuleTest, PressesAndRepeatsOfTakenKeysAreSteps) {
  const std::tuple<std::uint16_t, std::int32_t, std::vector<std::uint16_t>,
                   std::optional<KeyReport>>
      cases[] = {
          {KEY_BRIGHTNESSUP, 1, {}, KeyReport{true, false}},
          {KEY_BRIGHTNESSDOWN, 2, {KEY_LEFTSHIFT, KEY_RIGHTALT}, KeyReport{false, true}},
          {KEY_F15, 1, {KEY_RIGHTSHIFT, KEY_LEFTALT}, KeyReport{true, true}},
          {KEY_F14, 1, {KEY_LEFTSHIFT, KEY_LEFTCTRL, KEY_LEFTMETA}, KeyReport{false, false}},
          {KEY_BRIGHTNESSUP, 0, {KEY_LEFTSHIFT, KEY_LEFTALT}, std::nullopt},
          {KEY_F13, 1, {}, std::nullopt},
      };
  for (const auto& [code, value, keys, report] : cases) {
    platform::InputDevice::KeyBits held;
    for (std::uint16_t key : keys) held.set(key);
    EXPECT_EQ(platform::BrightnessKeyRule::report(code, value, held), report) << code;
    EXPECT_EQ(platform::BrightnessKeyRule::isTaken(code), code != KEY_F13) << code;
  }
}

}  // namespace

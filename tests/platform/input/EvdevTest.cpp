#include <gtest/gtest.h>

#include <optional>
#include <set>
#include <tuple>
#include <utility>
#include <vector>

#include "platform/input/EvdevEventTranslator.h"
#include "platform/input/EvdevFrameFilter.h"

// What reaches the kernel's clone, ordinary frames and modifiers included, is
// checked in tests/vm/keyservice; these are the frame rules and translations a
// real keyboard cannot be made to show at will.
namespace {

using platform::InputEvent;
using platform::TapEvent;
using platform::TapVerdict;
namespace te = platform::tapevent;

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
  const struct {
    const char* name;
    std::vector<InputEvent> in;
    Keys deleted;
    std::vector<InputEvent> out;
  } scripts[] = {
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
      {"other events keep their place",
       {{EV_REL, REL_X, 3}, scan(1), {EV_LED, LED_CAPSL, 1}, kSyn},
       {},
       {{EV_REL, REL_X, 3}, scan(1), {EV_LED, LED_CAPSL, 1}, kSyn}},
  };
  for (const auto& script : scripts) {
    platform::EvdevFrameFilter filter;
    EXPECT_EQ(feed(filter, script.in, script.deleted), script.out) << script.name;
  }
}

TEST(EvdevFrameFilterTest, ReleasesEveryKeyTheCloneStillHoldsOnce) {
  platform::EvdevFrameFilter filter;
  feed(filter, {key(KEY_A, 1), key(KEY_B, 1), kSyn, key(KEY_B, 0), key(KEY_C, 1), kSyn});
  EXPECT_EQ(filter.releaseHeldKeys(),
            (std::vector<InputEvent>{key(KEY_A, 0), key(KEY_C, 0), kSyn}));
  EXPECT_TRUE(filter.releaseHeldKeys().empty());
}

// Brightness keys become special-key events (key << 16 | state << 8 | repeat),
// F14 and F15 key codes 107 and 113, repeats staying key-downs. Releases,
// repeats, brightness down and F15 go through the service in tests/vm/keyservice.
TEST(EvdevEventTranslatorTest, TranslatesIntoTheTapEventModel) {
  constexpr std::uint64_t kFlags = te::kFlagShift | te::kFlagOption;
  constexpr std::int64_t kAux = te::kSubtypeAuxControlButtons;
  const struct {
    std::uint16_t code;
    std::int32_t value;
    // type, key code, subtype, data1
    std::optional<std::tuple<std::uint32_t, std::int64_t, std::int64_t, std::int64_t>> expected;
  } cases[] = {
      {KEY_BRIGHTNESSUP, 1, {{te::kSystemDefined, 0, kAux, 0x20A00}}},
      {KEY_F14, 2, {{te::kKeyDown, 107, 0, 0}}},
      {KEY_F13, 1, std::nullopt},
  };
  for (const auto& c : cases) {
    const auto event = platform::EvdevEventTranslator::translate(c.code, c.value, kFlags);
    EXPECT_EQ(platform::EvdevEventTranslator::isTranslated(c.code), c.expected.has_value());
    ASSERT_EQ(event.has_value(), c.expected.has_value()) << c.code;
    if (event) {
      EXPECT_EQ(std::tuple(event->type, event->keyCode, event->subtype, event->data1), *c.expected)
          << c.code;
      EXPECT_EQ(event->flags, kFlags);
    }
  }
}

}  // namespace

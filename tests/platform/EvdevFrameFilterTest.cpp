#include <gtest/gtest.h>

#include <set>
#include <utility>
#include <vector>

#include "platform/EvdevFrameFilter.h"
#include "tests/platform/ScriptedEvents.h"

namespace {

using platform::InputEvent;
using platform::TapVerdict;
namespace te = platform::tapevent;

using scripted::key;
using scripted::kSyn;
using scripted::scan;
const InputEvent kDropped{EV_SYN, SYN_DROPPED, 0};

using Keys = std::set<std::pair<std::uint16_t, std::int32_t>>;  // (code, value)

struct Script {
  const char* name;
  std::vector<InputEvent> in;
  Keys deleted;  // what the tap's callback deletes
  std::vector<InputEvent> out;
};

const Keys kBrightnessUpTaken{{KEY_BRIGHTNESSUP, 1}, {KEY_BRIGHTNESSUP, 2}, {KEY_BRIGHTNESSUP, 0}};

const Script kScripts[] = {
    {"LetterFramesPassWhole",
     {scan(30), key(KEY_A, 1), kSyn, key(KEY_A, 2), kSyn, scan(30), key(KEY_A, 0), kSyn},
     {},
     {scan(30), key(KEY_A, 1), kSyn, key(KEY_A, 2), kSyn, scan(30), key(KEY_A, 0), kSyn}},
    {"DeletedKeyTakesItsScanAndEmptyFrameVanishes",
     {scan(0xe0), key(KEY_BRIGHTNESSUP, 1), kSyn, key(KEY_BRIGHTNESSUP, 2), kSyn, scan(0xe0),
      key(KEY_BRIGHTNESSUP, 0), kSyn},
     kBrightnessUpTaken,
     {}},
    {"OnlyTheDeletedKeyLeavesAMixedFrame",
     {scan(0xe0), key(KEY_BRIGHTNESSUP, 1), scan(30), key(KEY_A, 1), kSyn},
     kBrightnessUpTaken,
     {scan(30), key(KEY_A, 1), kSyn}},
    {"NothingGoesOutBeforeTheFrameEnds", {scan(30), key(KEY_A, 1)}, {}, {}},
    {"ScanWithoutKeyStays", {scan(30), kSyn}, {}, {scan(30), kSyn}},
    {"DroppedMarkerIsNotPassedOn", {kDropped, key(KEY_A, 1), kSyn}, {}, {key(KEY_A, 1), kSyn}},
    {"ReleaseOfAKeyTheCloneNeverGotIsDropped",
     {key(KEY_F14, 1), kSyn, scan(0x69), key(KEY_F14, 0), kSyn},
     {{KEY_F14, 1}},
     {}},
    {"RepeatOfAKeyTheCloneNeverGotIsDropped", {key(KEY_F15, 2), kSyn, key(KEY_B, 0), kSyn}, {}, {}},
    {"ReleaseOfAHeldKeyPassesEvenWhenTaken",
     {key(KEY_BRIGHTNESSUP, 1), kSyn, key(KEY_BRIGHTNESSUP, 0), kSyn},
     {{KEY_BRIGHTNESSUP, 0}},
     {key(KEY_BRIGHTNESSUP, 1), kSyn, key(KEY_BRIGHTNESSUP, 0), kSyn}},
    {"OtherEventsKeepTheirPlace",
     {{EV_REL, REL_X, 3}, scan(1), {EV_LED, LED_CAPSL, 1}, key(KEY_LEFTSHIFT, 1), kSyn},
     {},
     {{EV_REL, REL_X, 3}, scan(1), {EV_LED, LED_CAPSL, 1}, key(KEY_LEFTSHIFT, 1), kSyn}},
};

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
  for (const Script& script : kScripts) {
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

TEST(EvdevFrameFilterTest, TracksModifiersInStreamOrder) {
  platform::EvdevFrameFilter filter;
  feed(filter, {key(KEY_LEFTSHIFT, 1), key(KEY_RIGHTALT, 1), kSyn});
  EXPECT_EQ(filter.modifierFlags(), te::kFlagShift | te::kFlagOption);
  feed(filter, {key(KEY_LEFTSHIFT, 0), key(KEY_RIGHTMETA, 1), kSyn});
  EXPECT_EQ(filter.modifierFlags(), te::kFlagOption | te::kFlagCommand);
}

}  // namespace

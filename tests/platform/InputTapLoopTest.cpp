#include <gtest/gtest.h>

#include <memory>
#include <mutex>
#include <vector>

#include "platform/InputTapLoop.h"
#include "platform/LinuxInputTap.h"
#include "tests/platform/FakeInputDevices.h"
#include "tests/platform/ScriptedEvents.h"

namespace {

using fakeinput::Events;
using platform::InputEvent;
using platform::TapEvent;
using platform::TapVerdict;
namespace te = platform::tapevent;

using scripted::key;
using scripted::kSyn;
using scripted::scan;
const Events kHoldB{key(KEY_B, 1), kSyn};
const Events kTypeA{scan(30), key(KEY_A, 1), kSyn, scan(30), key(KEY_A, 0), kSyn};
const std::set<std::uint16_t> kLaptopKeys{KEY_A,   KEY_B,   KEY_ENTER,        KEY_LEFTMETA,
                                          KEY_F14, KEY_F15, KEY_BRIGHTNESSUP, KEY_BRIGHTNESSDOWN};
constexpr std::uint64_t kMask = te::maskBit(te::kKeyDown) | te::maskBit(te::kSystemDefined);

class InputTapLoopTest : public testing::Test {
 protected:
  // Starts the tap on the fake system; its callback records and deletes.
  std::unique_ptr<platform::LinuxInputTap> start() {
    return platform::LinuxInputTap::create(std::make_unique<fakeinput::Source>(system), kMask,
                                           [this](const TapEvent& event) {
                                             std::lock_guard lock(mutex);
                                             seen.push_back(event);
                                             return TapVerdict::Delete;
                                           });
  }
  // Starts the tap and waits until it took the laptop's keyboard over.
  bool started() {
    tap = start();
    return takenOver(*laptop);
  }
  std::vector<TapEvent> asked() {
    std::lock_guard lock(mutex);
    return seen;
  }
  static bool takenOver(fakeinput::Device& device) {
    return device.waitUntil([&] { return device.grabbed && device.cloneExists; });
  }
  // Types `events`, then a marker key, and waits until the marker came out
  // of the clone: everything typed before it has been handled by then.
  static Events typeThroughClone(fakeinput::Device& device, const Events& events) {
    device.type(events);
    device.type(kTypeA);
    EXPECT_TRUE(device.waitUntil([&] {
      return device.cloneOutput.size() >= kTypeA.size() &&
             std::equal(kTypeA.begin(), kTypeA.end(), device.cloneOutput.end() - kTypeA.size());
    }));
    std::lock_guard lock(device.mutex);
    Events out = std::exchange(device.cloneOutput, {});
    out.resize(out.size() - kTypeA.size());
    return out;
  }

  std::shared_ptr<fakeinput::System> system = std::make_shared<fakeinput::System>();
  std::shared_ptr<fakeinput::Device> laptop =
      system->add("/dev/input/event3", "Laptop keyboard", kLaptopKeys);
  std::mutex mutex;
  std::vector<TapEvent> seen;
  std::unique_ptr<platform::LinuxInputTap> tap;  // Last: it goes first.
};

TEST_F(InputTapLoopTest, PassesOtherKeysFrameByFrameAndAsksAboutEachBrightnessEvent) {
  ASSERT_TRUE(started());
  EXPECT_EQ(laptop->cloneName, "Glimmerbox/Laptop keyboard");
  const Events typing{scan(48), key(KEY_B, 1), kSyn,          key(KEY_B, 2),
                      kSyn,     scan(48),      key(KEY_B, 0), kSyn};
  const Events brightness{
      scan(0xe0), key(KEY_BRIGHTNESSUP, 1), kSyn, key(KEY_BRIGHTNESSUP, 2), kSyn,
      scan(0xe0), key(KEY_BRIGHTNESSUP, 0), kSyn};
  Events script = brightness;
  script.insert(script.begin() + 3, typing.begin(), typing.end());
  EXPECT_EQ(typeThroughClone(*laptop, script), typing);

  std::vector<std::pair<std::uint32_t, std::int64_t>> events;
  for (const TapEvent& event : asked()) events.emplace_back(event.type, event.data1);
  const auto kSystem = te::kSystemDefined;
  EXPECT_EQ(events, (decltype(events){{kSystem, 0x20A00}, {kSystem, 0x20A01}, {kSystem, 0x20B00}}));
}

TEST_F(InputTapLoopTest, WaitsUntilNoKeyIsDownBeforeTakingTheDeviceOver) {
  laptop->down.set(KEY_ENTER);  // Still held from starting the program.
  tap = start();
  laptop->type({key(KEY_ENTER, 2), kSyn});
  ASSERT_TRUE(laptop->waitUntil([&] { return laptop->pending.empty(); }));
  EXPECT_FALSE(laptop->grabbed);

  laptop->type({key(KEY_ENTER, 0), kSyn});
  ASSERT_TRUE(takenOver(*laptop));
  EXPECT_TRUE(typeThroughClone(*laptop, {}).empty());  // The release went out ungrabbed.
}

TEST_F(InputTapLoopTest, CountsModifiersFromEveryKeyboardAlsoOnesNotTakenOver) {
  auto keyboard = system->add("/dev/input/event4", "USB keyboard", {KEY_LEFTSHIFT, KEY_LEFTALT});
  keyboard->down.set(KEY_LEFTSHIFT).set(KEY_LEFTALT);
  ASSERT_TRUE(started());
  EXPECT_FALSE(keyboard->grabbed);

  typeThroughClone(*laptop, {key(KEY_LEFTMETA, 1), kSyn, key(KEY_F14, 1), kSyn,
                             key(KEY_LEFTMETA, 0), kSyn, key(KEY_F15, 1), kSyn});
  std::vector<std::pair<std::int64_t, std::uint64_t>> keys;
  for (const TapEvent& event : asked()) keys.emplace_back(event.keyCode, event.flags);
  EXPECT_EQ(keys,
            (decltype(keys){{te::kKeyCodeF14, te::kFlagShift | te::kFlagOption | te::kFlagCommand},
                            {te::kKeyCodeF15, te::kFlagShift | te::kFlagOption}}));
}

TEST_F(InputTapLoopTest, UnpluggingADeviceOrRemovingTheTapReleasesHeldKeysAndDropsTheClone) {
  auto other = system->add("/dev/input/event5", "Media keys", {KEY_BRIGHTNESSUP});
  ASSERT_TRUE(started() && takenOver(*other));
  const Events heldThenReleased{key(KEY_B, 1), kSyn, key(KEY_B, 0), kSyn};
  laptop->type(kHoldB);
  ASSERT_TRUE(laptop->waitUntil([&] { return laptop->cloneOutput.size() == 2; }));
  system->unplug("/dev/input/event3");
  ASSERT_TRUE(laptop->waitUntil([&] { return !laptop->cloneExists; }));
  EXPECT_EQ(laptop->cloneOutput, heldThenReleased);

  other->type({key(KEY_BRIGHTNESSUP, 1), kSyn});  // The other device still works.
  EXPECT_TRUE(typeThroughClone(*other, {}).empty());
  EXPECT_EQ(asked().size(), 1u);
  other->type(kHoldB);
  ASSERT_TRUE(other->waitUntil([&] { return other->cloneOutput.size() == 2; }));
  tap.reset();
  std::lock_guard lock(other->mutex);
  EXPECT_FALSE(other->grabbed || other->cloneExists);
  EXPECT_EQ(other->cloneOutput, heldThenReleased);
}

TEST_F(InputTapLoopTest, TakesOverHotPluggedKeyboardsButNeverItsOwnClones) {
  ASSERT_TRUE(started());
  auto ownClone = system->plug("/dev/input/event9", "Glimmerbox/Laptop keyboard", kLaptopKeys);
  auto usb = system->plug("/dev/input/event10", "USB keyboard", kLaptopKeys);
  ASSERT_TRUE(takenOver(*usb));
  std::lock_guard lock(ownClone->mutex);
  EXPECT_FALSE(ownClone->grabbed || ownClone->cloneExists);
}

TEST_F(InputTapLoopTest, DisabledTapPassesEverythingAndNoKeyStaysHeldWhenSwitchedBackOn) {
  ASSERT_TRUE(started());
  tap->setEnabled(false);
  const Events press{key(KEY_BRIGHTNESSDOWN, 1), kSyn}, release{key(KEY_BRIGHTNESSDOWN, 0), kSyn};
  EXPECT_EQ(typeThroughClone(*laptop, press), press);
  tap->setEnabled(true);
  EXPECT_EQ(typeThroughClone(*laptop, release), release);
  EXPECT_EQ(asked().size(), 1u);  // Only the release was asked about.
}

TEST_F(InputTapLoopTest, LedStateSentToTheCloneReachesTheDevice) {
  ASSERT_TRUE(started());
  const Events capsLock{{EV_LED, LED_CAPSL, 1}, kSyn};
  laptop->sendFeedbackToClone(capsLock);
  ASSERT_TRUE(laptop->waitUntil([&] { return !laptop->deviceFeedback.empty(); }));
  EXPECT_EQ(laptop->deviceFeedback, capsLock);
}

TEST(InputTapCreation, FailsWithoutVirtualDevicesOrADeviceList) {
  for (const auto& [uinputWritable, listable] : {std::pair{false, true}, std::pair{true, false}}) {
    auto system = std::make_shared<fakeinput::System>();
    system->uinputWritable = uinputWritable;
    system->listable = listable;
    EXPECT_EQ(platform::LinuxInputTap::create(std::make_unique<fakeinput::Source>(system), kMask,
                                              [](const TapEvent&) { return TapVerdict::Pass; }),
              nullptr)
        << uinputWritable;
  }
}

}  // namespace

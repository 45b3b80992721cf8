#include <gtest/gtest.h>

#include <memory>
#include <mutex>
#include <vector>

#include "platform/InputTapLoop.h"
#include "platform/LinuxInputTap.h"
#include "tests/platform/FakeInputDevices.h"

namespace {

using platform::InputEvent;
using platform::TapEvent;
using platform::TapVerdict;
namespace te = platform::tapevent;

InputEvent key(std::uint16_t code, std::int32_t value) { return {EV_KEY, code, value}; }
InputEvent scan(std::int32_t value) { return {EV_MSC, MSC_SCAN, value}; }
const InputEvent kSyn{EV_SYN, SYN_REPORT, 0};

const std::set<std::uint16_t> kLaptopKeys{KEY_A,   KEY_B,   KEY_ENTER,        KEY_LEFTMETA,
                                          KEY_F14, KEY_F15, KEY_BRIGHTNESSUP, KEY_BRIGHTNESSDOWN};
const std::vector<InputEvent> kTypeA{scan(30), key(KEY_A, 1), kSyn, scan(30), key(KEY_A, 0), kSyn};

constexpr std::uint64_t kMask = te::maskBit(te::kKeyDown) | te::maskBit(te::kSystemDefined);

// Plays the tap's client: records what the callback saw and deletes it.
struct Recorder {
  std::mutex mutex;
  std::vector<TapEvent> seen;
  platform::InputTapService::Callback callback() {
    return [this](const TapEvent& event) {
      std::lock_guard lock(mutex);
      seen.push_back(event);
      return TapVerdict::Delete;
    };
  }
  std::vector<TapEvent> snapshot() {
    std::lock_guard lock(mutex);
    return seen;
  }
};

class InputTapLoopTest : public testing::Test {
 protected:
  std::unique_ptr<platform::LinuxInputTap> start() {
    return platform::LinuxInputTap::create(std::make_unique<fakeinput::Source>(system), kMask,
                                           recorder.callback());
  }
  static bool waitForTakeOver(fakeinput::Device& device) {
    return device.waitUntil([&] { return device.grabbed && device.cloneExists; });
  }
  // Types `events`, then a marker key, and waits until the marker came out
  // of the clone: everything typed before it has been handled by then.
  static std::vector<InputEvent> typeThroughClone(fakeinput::Device& device,
                                                  const std::vector<InputEvent>& events) {
    device.type(events);
    device.type(kTypeA);
    EXPECT_TRUE(device.waitUntil([&] {
      return device.cloneOutput.size() >= kTypeA.size() &&
             std::equal(kTypeA.begin(), kTypeA.end(), device.cloneOutput.end() - kTypeA.size());
    }));
    std::lock_guard lock(device.mutex);
    std::vector<InputEvent> out = std::exchange(device.cloneOutput, {});
    out.resize(out.size() - kTypeA.size());
    return out;
  }

  std::shared_ptr<fakeinput::System> system = std::make_shared<fakeinput::System>();
  std::shared_ptr<fakeinput::Device> laptop =
      system->add("/dev/input/event3", "Laptop keyboard", kLaptopKeys);
  Recorder recorder;
};

TEST_F(InputTapLoopTest, PassesOtherKeysThroughTheCloneFrameByFrame) {
  auto tap = start();
  ASSERT_TRUE(waitForTakeOver(*laptop));
  EXPECT_EQ(laptop->cloneName, "Glimmerbox/Laptop keyboard");

  const std::vector<InputEvent> typing{scan(48),      key(KEY_B, 1), kSyn,     key(KEY_B, 2), kSyn,
                                       key(KEY_B, 2), kSyn,          scan(48), key(KEY_B, 0), kSyn};
  EXPECT_EQ(typeThroughClone(*laptop, typing), typing);
  EXPECT_TRUE(recorder.snapshot().empty());
}

TEST_F(InputTapLoopTest, TakesBrightnessPressRepeatAndReleaseAndAsksAboutEach) {
  auto tap = start();
  ASSERT_TRUE(waitForTakeOver(*laptop));
  const std::vector<InputEvent> brightness{
      scan(0xe0), key(KEY_BRIGHTNESSUP, 1), kSyn, key(KEY_BRIGHTNESSUP, 2), kSyn,
      scan(0xe0), key(KEY_BRIGHTNESSUP, 0), kSyn};
  EXPECT_TRUE(typeThroughClone(*laptop, brightness).empty());

  std::vector<std::int64_t> data;
  for (const TapEvent& event : recorder.snapshot()) {
    EXPECT_EQ(event.type, te::kSystemDefined);
    data.push_back(event.data1);
  }
  EXPECT_EQ(data, (std::vector<std::int64_t>{0x20A00, 0x20A01, 0x20B00}));
}

TEST_F(InputTapLoopTest, WaitsUntilNoKeyIsDownBeforeTakingTheDeviceOver) {
  laptop->down.set(KEY_ENTER);  // Still held from starting the program.
  auto tap = start();
  laptop->type({key(KEY_ENTER, 2), kSyn});
  ASSERT_TRUE(laptop->waitUntil([&] { return laptop->pending.empty(); }));
  EXPECT_FALSE(laptop->grabbed);

  laptop->type({key(KEY_ENTER, 0), kSyn});
  ASSERT_TRUE(waitForTakeOver(*laptop));
  EXPECT_TRUE(typeThroughClone(*laptop, {}).empty());  // The release went out ungrabbed.
}

TEST_F(InputTapLoopTest, CountsModifiersFromEveryKeyboardAlsoOnesNotTakenOver) {
  auto keyboard = system->add("/dev/input/event4", "USB keyboard", {KEY_LEFTSHIFT, KEY_LEFTALT});
  keyboard->down.set(KEY_LEFTSHIFT).set(KEY_LEFTALT);
  auto tap = start();
  ASSERT_TRUE(waitForTakeOver(*laptop));
  EXPECT_FALSE(keyboard->grabbed);

  typeThroughClone(*laptop, {key(KEY_LEFTMETA, 1), kSyn, key(KEY_F14, 1), kSyn,
                             key(KEY_LEFTMETA, 0), kSyn, key(KEY_F15, 1), kSyn});
  std::vector<TapEvent> seen = recorder.snapshot();
  ASSERT_EQ(seen.size(), 2u);
  EXPECT_EQ(seen[0].keyCode, te::kKeyCodeF14);
  EXPECT_EQ(seen[0].flags, te::kFlagShift | te::kFlagOption | te::kFlagCommand);
  EXPECT_EQ(seen[1].keyCode, te::kKeyCodeF15);
  EXPECT_EQ(seen[1].flags, te::kFlagShift | te::kFlagOption);
}

TEST_F(InputTapLoopTest, UnpluggedDeviceIsDroppedAndItsCloneReleasesWhatItHeld) {
  auto other = system->add("/dev/input/event5", "Media keys", {KEY_BRIGHTNESSUP});
  auto tap = start();
  ASSERT_TRUE(waitForTakeOver(*laptop));
  ASSERT_TRUE(waitForTakeOver(*other));
  laptop->type({key(KEY_B, 1), kSyn});
  ASSERT_TRUE(laptop->waitUntil([&] { return laptop->cloneOutput.size() == 2; }));

  system->unplug("/dev/input/event3");
  ASSERT_TRUE(laptop->waitUntil([&] { return !laptop->cloneExists; }));
  EXPECT_EQ(laptop->cloneOutput,
            (std::vector<InputEvent>{key(KEY_B, 1), kSyn, key(KEY_B, 0), kSyn}));

  other->type({key(KEY_BRIGHTNESSUP, 1), kSyn});
  ASSERT_TRUE(other->waitUntil([&] { return other->pending.empty(); }));
  EXPECT_TRUE(typeThroughClone(*other, {}).empty());
  EXPECT_EQ(recorder.snapshot().size(), 1u);
}

TEST_F(InputTapLoopTest, TakesOverHotPluggedKeyboardsButNeverItsOwnClones) {
  auto tap = start();
  ASSERT_TRUE(waitForTakeOver(*laptop));
  auto ownClone = system->plug("/dev/input/event9", "Glimmerbox/Laptop keyboard", kLaptopKeys);
  auto usb = system->plug("/dev/input/event10", "USB keyboard", kLaptopKeys);
  ASSERT_TRUE(waitForTakeOver(*usb));
  std::lock_guard lock(ownClone->mutex);
  EXPECT_FALSE(ownClone->grabbed);
  EXPECT_FALSE(ownClone->cloneExists);
}

TEST_F(InputTapLoopTest, RemovingTheTapReleasesHeldKeysDropsClonesAndGivesDevicesBack) {
  auto tap = start();
  ASSERT_TRUE(waitForTakeOver(*laptop));
  laptop->type({key(KEY_B, 1), kSyn});
  ASSERT_TRUE(laptop->waitUntil([&] { return laptop->cloneOutput.size() == 2; }));

  tap.reset();
  std::lock_guard lock(laptop->mutex);
  EXPECT_FALSE(laptop->grabbed);
  EXPECT_FALSE(laptop->cloneExists);
  EXPECT_EQ(laptop->cloneOutput,
            (std::vector<InputEvent>{key(KEY_B, 1), kSyn, key(KEY_B, 0), kSyn}));
}

TEST_F(InputTapLoopTest, DisabledTapPassesEverythingAndNoKeyStaysHeldWhenSwitchedBackOn) {
  auto tap = start();
  ASSERT_TRUE(waitForTakeOver(*laptop));
  tap->setEnabled(false);
  EXPECT_EQ(typeThroughClone(*laptop, {key(KEY_BRIGHTNESSDOWN, 1), kSyn}),
            (std::vector<InputEvent>{key(KEY_BRIGHTNESSDOWN, 1), kSyn}));
  tap->setEnabled(true);
  EXPECT_EQ(typeThroughClone(*laptop, {key(KEY_BRIGHTNESSDOWN, 0), kSyn}),
            (std::vector<InputEvent>{key(KEY_BRIGHTNESSDOWN, 0), kSyn}));
  EXPECT_EQ(recorder.snapshot().size(), 1u);  // Only the release was asked about.
}

TEST_F(InputTapLoopTest, LedStateSentToTheCloneReachesTheDevice) {
  auto tap = start();
  ASSERT_TRUE(waitForTakeOver(*laptop));
  laptop->sendFeedbackToClone({{EV_LED, LED_CAPSL, 1}, kSyn});
  ASSERT_TRUE(laptop->waitUntil([&] { return !laptop->deviceFeedback.empty(); }));
  EXPECT_EQ(laptop->deviceFeedback, (std::vector<InputEvent>{{EV_LED, LED_CAPSL, 1}, kSyn}));
}

struct Failure {
  const char* name;
  bool uinputWritable;
  bool listable;
};

class InputTapCreationTest : public testing::TestWithParam<Failure> {};

TEST_P(InputTapCreationTest, FailsWithoutVirtualDevicesOrDeviceList) {
  auto system = std::make_shared<fakeinput::System>();
  system->uinputWritable = GetParam().uinputWritable;
  system->listable = GetParam().listable;
  auto tap = platform::LinuxInputTap::create(std::make_unique<fakeinput::Source>(system), kMask,
                                             [](const TapEvent&) { return TapVerdict::Pass; });
  EXPECT_EQ(tap, nullptr);
}

INSTANTIATE_TEST_SUITE_P(Failures, InputTapCreationTest,
                         testing::Values(Failure{"NoUinput", false, true},
                                         Failure{"NoDeviceList", true, false}),
                         [](const auto& info) { return info.param.name; });

}  // namespace

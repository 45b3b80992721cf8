#include <gtest/gtest.h>

#include <memory>

#include "platform/InputTapLoop.h"
#include "platform/LinuxInputTap.h"
#include "tests/platform/FakeInputDevices.h"

// What the tap does with key events is checked against the kernel
// (tests/vm/input); the LED path back and the refusal to start are not.
namespace {

using platform::TapEvent;
using platform::TapVerdict;
namespace te = platform::tapevent;

constexpr std::uint64_t kMask = te::maskBit(te::kKeyDown) | te::maskBit(te::kSystemDefined);

std::unique_ptr<platform::LinuxInputTap> startOn(std::shared_ptr<fakeinput::System> system) {
  return platform::LinuxInputTap::create(std::make_unique<fakeinput::Source>(system), kMask,
                                         [](const TapEvent&) { return TapVerdict::Pass; });
}

TEST(InputTapLoopTest, LedStateSentToTheCloneReachesTheDevice) {
  auto system = std::make_shared<fakeinput::System>();
  auto laptop = system->add("/dev/input/event3", "Laptop keyboard", {KEY_A, KEY_BRIGHTNESSUP});
  auto tap = startOn(system);
  ASSERT_TRUE(laptop->waitUntil([&] { return laptop->cloneExists; }));
  const fakeinput::Events capsLock{{EV_LED, LED_CAPSL, 1}, {EV_SYN, SYN_REPORT, 0}};
  laptop->sendFeedbackToClone(capsLock);
  ASSERT_TRUE(laptop->waitUntil([&] { return !laptop->deviceFeedback.empty(); }));
  EXPECT_EQ(laptop->deviceFeedback, capsLock);
}

TEST(InputTapCreation, FailsWithoutVirtualDevicesOrADeviceList) {
  for (const auto& [uinputWritable, listable] : {std::pair{false, true}, std::pair{true, false}}) {
    auto system = std::make_shared<fakeinput::System>();
    system->uinputWritable = uinputWritable;
    system->listable = listable;
    EXPECT_EQ(startOn(system), nullptr) << uinputWritable;
  }
}

}  // namespace

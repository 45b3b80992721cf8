#include <linux/input.h>

#include <gtest/gtest.h>

#include <memory>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "keys/KeyboardInterceptor.h"
#include "platform/LinuxInputTapService.h"
#include "tests/support/EventLoop.h"
#include "tests/support/FakeKeyboardServices.h"
#include "tests/vm/support/EventNode.h"
#include "tests/vm/support/VirtualKeyboard.h"

// The key interceptor over the Linux input tap, taking over uinput keyboards
// of a real kernel and re-emitting through clones that applications read.
namespace {

using vmtest::Event;
using vmtest::EventNode;
using vmtest::keyEventsOf;
using vmtest::KeyValues;
using vmtest::VirtualKeyboard;
using Events = std::vector<Event>;

const std::string kKeyboardName = "VM Test Keyboard";
const std::string kConsumerControlName = "VM Test Consumer Control";

// How the tap names the clone of a device it took over.
std::string cloneOf(const std::string& name) { return "Glimmerbox/" + name; }

struct Report {
  bool isUp;
  bool isFineGrained;
  bool operator==(const Report&) const = default;
};

class RecordingDelegate : public KeyboardInterceptorDelegate {
 public:
  void didChangeBrightness(bool isUp, bool isFineGrained) override {
    reports.push_back({isUp, isFineGrained});
  }
  void didUpdatePermissionStatus(bool) override {}
  std::vector<Report> reports;
};

std::unique_ptr<EventNode> waitForClone(const std::string& name) {
  std::optional<std::string> path = EventNode::waitForDevice(cloneOf(name));
  if (!path) {
    ADD_FAILURE() << "the tap never took over " << name;
    return nullptr;
  }
  return std::make_unique<EventNode>(*path);
}

class InputTapInTheKernel : public ::testing::Test {
 protected:
  void SetUp() override {
    testsupport::FakeKeyboardServices fakes;
    KeyboardInterceptor::Services services = fakes.services();
    services.tapService = std::make_shared<platform::LinuxInputTapService>();
    interceptor = std::make_shared<KeyboardInterceptor>(services);
    interceptor->delegate = delegate;
    interceptor->startEventTap();
    keyboardClone = waitForClone(kKeyboardName);
    consumerClone = waitForClone(kConsumerControlName);
    ASSERT_TRUE(keyboardClone && consumerClone);
  }

  void TearDown() override { interceptor->stopEventTap(); }

  std::vector<Report> reportsAfter(std::size_t count) {
    testsupport::runLoopUntil([&] { return delegate->reports.size() >= count; }, vmtest::kPatience);
    testsupport::drainMainQueue();
    return std::exchange(delegate->reports, {});
  }

  VirtualKeyboard keyboard{
      kKeyboardName, {KEY_A, KEY_B, KEY_E, KEY_H, KEY_ENTER, KEY_LEFTSHIFT, KEY_LEFTALT, KEY_F15}};
  VirtualKeyboard consumerControl{kConsumerControlName,
                                  {KEY_BRIGHTNESSUP, KEY_BRIGHTNESSDOWN, KEY_VOLUMEUP, KEY_MUTE}};
  // Applications reading the devices themselves.
  EventNode keyboardReader{keyboard.devicePath()};
  EventNode consumerReader{consumerControl.devicePath()};
  std::unique_ptr<EventNode> keyboardClone;
  std::unique_ptr<EventNode> consumerClone;
  std::shared_ptr<RecordingDelegate> delegate = std::make_shared<RecordingDelegate>();
  std::shared_ptr<KeyboardInterceptor> interceptor;
};

struct BrightnessCase {
  const char* name;
  KeyValues modifiersOnKeyboard;
  bool onConsumerControl;
  unsigned key;
  Report expected;
};

TEST_F(InputTapInTheKernel, PassesTypingOnlyThroughTheClonesAndReportsBrightnessKeys) {
  const KeyValues typing = {{KEY_LEFTSHIFT, 1}, {KEY_H, 1}, {KEY_H, 0}, {KEY_LEFTSHIFT, 0},
                            {KEY_E, 1},         {KEY_E, 2}, {KEY_E, 2}, {KEY_E, 0}};
  const KeyValues volume = {{KEY_VOLUMEUP, 1}, {KEY_VOLUMEUP, 0}};
  keyboard.sendAll(typing);
  consumerControl.sendAll(volume);
  EXPECT_EQ(keyboard.eventsBeforeMarker(*keyboardClone), VirtualKeyboard::framesOf(typing));
  EXPECT_EQ(consumerControl.eventsBeforeMarker(*consumerClone, KEY_MUTE),
            VirtualKeyboard::framesOf(volume));
  EXPECT_TRUE(reportsAfter(0).empty());
  EXPECT_FALSE(EventNode::deviceExists(cloneOf(cloneOf(kKeyboardName))))
      << "the tap took over its own clone";

  const BrightnessCase cases[] = {
      {"up alone", {}, true, KEY_BRIGHTNESSUP, {true, false}},
      {"down with Shift and Alt held on the other keyboard",
       {{KEY_LEFTSHIFT, 1}, {KEY_LEFTALT, 1}},
       true,
       KEY_BRIGHTNESSDOWN,
       {false, true}},
      {"F15 with Alt alone is coarse", {{KEY_LEFTALT, 1}}, false, KEY_F15, {true, false}},
  };
  for (const BrightnessCase& test : cases) {
    SCOPED_TRACE(test.name);
    KeyValues releases;
    for (auto [key, value] : test.modifiersOnKeyboard) {
      releases.emplace_back(key, VirtualKeyboard::kReleased);
    }
    // A person holds the modifiers well before the brightness key; the tap
    // has seen them once they are out of the keyboard's clone.
    keyboard.sendAll(test.modifiersOnKeyboard);
    EXPECT_EQ(keyboard.eventsBeforeMarker(*keyboardClone),
              VirtualKeyboard::framesOf(test.modifiersOnKeyboard));
    VirtualKeyboard& source = test.onConsumerControl ? consumerControl : keyboard;
    source.sendAll({{test.key, 1}, {test.key, VirtualKeyboard::kRepeated}, {test.key, 0}});
    EXPECT_EQ(reportsAfter(2), (std::vector<Report>{test.expected, test.expected}));
    keyboard.sendAll(releases);
    Events onKeyboardClone = keyboard.eventsBeforeMarker(*keyboardClone);
    // Whether the lone release of a dropped key passes is the tap's choice.
    std::erase(onKeyboardClone, Event{EV_KEY, test.key, VirtualKeyboard::kReleased});
    EXPECT_EQ(keyEventsOf(onKeyboardClone), keyEventsOf(VirtualKeyboard::framesOf(releases)));
    EXPECT_TRUE(consumerControl.eventsBeforeMarker(*consumerClone, KEY_MUTE).empty());
  }
  EXPECT_TRUE(keyboardReader.drain().empty()) << "the keyboard is not grabbed";
  EXPECT_TRUE(consumerReader.drain().empty()) << "the consumer control is not grabbed";
}

TEST_F(InputTapInTheKernel, TakesOverALateKeyboardAndStoppingLeavesNoKeyHeldOnAClone) {
  VirtualKeyboard late("VM Test Late Keyboard", {KEY_BRIGHTNESSDOWN, KEY_MUTE});
  EventNode lateReader(late.devicePath());
  std::unique_ptr<EventNode> lateClone = waitForClone("VM Test Late Keyboard");
  ASSERT_TRUE(lateClone);
  late.tap(KEY_BRIGHTNESSDOWN);
  EXPECT_EQ(reportsAfter(1), (std::vector<Report>{{false, false}}));
  EXPECT_TRUE(late.eventsBeforeMarker(*lateClone, KEY_MUTE).empty());
  EXPECT_TRUE(keyEventsOf(lateReader.drain()).empty());

  keyboard.press(KEY_A);
  ASSERT_EQ(keyEventsOf(keyboardClone->readUpTo({EV_SYN, SYN_REPORT, 0})),
            (Events{{EV_KEY, KEY_A, 1}}));
  EXPECT_EQ(
      keyEventsOf(EventNode::eventsUntilGone(*EventNode::waitForDevice(cloneOf(kKeyboardName)),
                                             [&] { interceptor->stopEventTap(); })),
      (Events{{EV_KEY, KEY_A, 0}}));
  EXPECT_FALSE(EventNode::deviceExists(cloneOf(kKeyboardName)));
  keyboard.release(KEY_A);
  keyboard.tap(KEY_B);
  EXPECT_EQ(keyEventsOf(keyboardReader.readUpTo({EV_KEY, KEY_B, 0})),
            (Events{{EV_KEY, KEY_A, 0}, {EV_KEY, KEY_B, 1}}))
      << "the keyboard is given back";
}

}  // namespace

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
#include "tests/vm/support/EventRecorder.h"
#include "tests/vm/support/VirtualKeyboard.h"

// The key interceptor over the Linux input tap, taking over uinput keyboards
// of a real kernel and re-emitting through clones that applications read.
namespace {

using vmtest::Event;
using vmtest::EventNode;
using vmtest::VirtualKeyboard;
using KeyValues = std::vector<std::pair<unsigned, int>>;

const std::string kKeyboardName = "VM Test Keyboard";
const std::string kConsumerControlName = "VM Test Consumer Control";
const std::string kLateKeyboardName = "VM Test Late Keyboard";

// How the tap names the clone of a device it took over.
std::string cloneOf(const std::string& name) { return "Glimmerbox/" + name; }

struct Report {
  bool isUp;
  bool isFineGrained;
  bool operator==(const Report&) const = default;
};

void PrintTo(const Report& report, std::ostream* out) {
  *out << (report.isUp ? "up" : "down") << (report.isFineGrained ? " fine" : " coarse");
}

class RecordingDelegate : public KeyboardInterceptorDelegate {
 public:
  void didChangeBrightness(bool isUp, bool isFineGrained) override {
    reports.push_back({isUp, isFineGrained});
  }
  void didUpdatePermissionStatus(bool) override {}
  std::vector<Report> reports;
};

std::vector<Event> framesOf(const KeyValues& keys) {
  std::vector<Event> events;
  for (auto [key, value] : keys) {
    std::vector<Event> frame = VirtualKeyboard::frameOf(key, value);
    events.insert(events.end(), frame.begin(), frame.end());
  }
  return events;
}

void sendAll(VirtualKeyboard& keyboard, const KeyValues& keys) {
  for (auto [key, value] : keys) {
    keyboard.send(key, value);
  }
}

std::unique_ptr<EventNode> waitForClone(const std::string& name) {
  std::optional<std::string> path = EventNode::waitForDevice(cloneOf(name));
  if (!path) {
    ADD_FAILURE() << "the tap never took over " << name;
    return nullptr;
  }
  return std::make_unique<EventNode>(*path);
}

// Everything a node delivers before a marker key tapped after the events
// under test; the marker's own frame is consumed.
std::vector<Event> eventsBeforeMarker(VirtualKeyboard& keyboard, EventNode& node, unsigned marker) {
  keyboard.tap(marker);
  std::vector<Event> before = node.readUpTo(VirtualKeyboard::frameOf(marker, 1)[0]);
  node.readUpTo({EV_KEY, marker, VirtualKeyboard::kReleased});
  node.readUpTo({EV_SYN, SYN_REPORT, 0});
  return before;
}

class InputTapInTheKernel : public ::testing::Test {
 protected:
  void SetUp() override {
    testsupport::FakeKeyboardServices fakes;
    KeyboardInterceptor::Services services = fakes.services();
    services.tapService = std::make_shared<platform::LinuxInputTapService>();
    interceptor = std::make_shared<KeyboardInterceptor>(services);
    interceptor->delegate = delegate;
    keyboardReader = std::make_unique<EventNode>(keyboard.devicePath());
    consumerReader = std::make_unique<EventNode>(consumerControl.devicePath());
  }

  void TearDown() override { interceptor->stopEventTap(); }

  void startTapAndWaitForClones() {
    interceptor->startEventTap();
    keyboardClone = waitForClone(kKeyboardName);
    consumerClone = waitForClone(kConsumerControlName);
    ASSERT_TRUE(keyboardClone && consumerClone);
  }

  std::vector<Report> reportsAfter(std::size_t count) {
    testsupport::runLoopUntil([&] { return delegate->reports.size() >= count; }, vmtest::kPatience);
    testsupport::drainMainQueue();
    return std::exchange(delegate->reports, {});
  }

  VirtualKeyboard keyboard{kKeyboardName,
                           {KEY_A, KEY_B, KEY_C, KEY_E, KEY_H, KEY_L, KEY_O, KEY_ENTER,
                            KEY_LEFTSHIFT, KEY_LEFTALT, KEY_LEFTCTRL, KEY_F14, KEY_F15}};
  VirtualKeyboard consumerControl{kConsumerControlName,
                                  {KEY_BRIGHTNESSUP, KEY_BRIGHTNESSDOWN, KEY_VOLUMEUP, KEY_MUTE}};
  // Applications reading the devices themselves.
  std::unique_ptr<EventNode> keyboardReader;
  std::unique_ptr<EventNode> consumerReader;
  std::unique_ptr<EventNode> keyboardClone;
  std::unique_ptr<EventNode> consumerClone;
  std::shared_ptr<RecordingDelegate> delegate = std::make_shared<RecordingDelegate>();
  std::shared_ptr<KeyboardInterceptor> interceptor;
};

TEST_F(InputTapInTheKernel, PassesTypingThroughTheClonesInOrderAndOnlyThere) {
  ASSERT_NO_FATAL_FAILURE(startTapAndWaitForClones());
  const KeyValues typing = {{KEY_LEFTSHIFT, 1}, {KEY_H, 1}, {KEY_H, 0}, {KEY_LEFTSHIFT, 0},
                            {KEY_E, 1},         {KEY_E, 0}, {KEY_L, 1}, {KEY_L, 2},
                            {KEY_L, 2},         {KEY_L, 0}, {KEY_O, 1}, {KEY_O, 0}};
  const KeyValues volume = {{KEY_VOLUMEUP, 1}, {KEY_VOLUMEUP, 0}};
  sendAll(keyboard, typing);
  sendAll(consumerControl, volume);

  EXPECT_EQ(eventsBeforeMarker(keyboard, *keyboardClone, KEY_ENTER), framesOf(typing));
  EXPECT_EQ(eventsBeforeMarker(consumerControl, *consumerClone, KEY_MUTE), framesOf(volume));
  EXPECT_TRUE(keyboardReader->drain().empty()) << "the keyboard is not grabbed";
  EXPECT_TRUE(consumerReader->drain().empty()) << "the consumer control is not grabbed";
  EXPECT_TRUE(reportsAfter(0).empty());
  EXPECT_FALSE(EventNode::deviceExists(cloneOf(cloneOf(kKeyboardName))))
      << "the tap took over its own clone";
}

struct BrightnessCase {
  const char* name;
  KeyValues modifiersOnKeyboard;
  bool onConsumerControl;
  unsigned key;
  Report expected;
};

TEST_F(InputTapInTheKernel, DropsBrightnessKeysAndReportsThemWithModifiersFromAnyKeyboard) {
  const std::vector<BrightnessCase> cases = {
      {"up alone", {}, true, KEY_BRIGHTNESSUP, {true, false}},
      {"down with Shift and Alt",
       {{KEY_LEFTSHIFT, 1}, {KEY_LEFTALT, 1}},
       true,
       KEY_BRIGHTNESSDOWN,
       {false, true}},
      {"Shift alone is coarse", {{KEY_LEFTSHIFT, 1}}, true, KEY_BRIGHTNESSUP, {true, false}},
      {"Alt alone is coarse", {{KEY_LEFTALT, 1}}, true, KEY_BRIGHTNESSDOWN, {false, false}},
      {"Control does not count",
       {{KEY_LEFTSHIFT, 1}, {KEY_LEFTALT, 1}, {KEY_LEFTCTRL, 1}},
       true,
       KEY_BRIGHTNESSUP,
       {true, true}},
      {"F14 on the keyboard", {}, false, KEY_F14, {false, false}},
      {"F15 with Shift and Alt",
       {{KEY_LEFTALT, 1}, {KEY_LEFTSHIFT, 1}},
       false,
       KEY_F15,
       {true, true}},
  };
  ASSERT_NO_FATAL_FAILURE(startTapAndWaitForClones());
  for (const BrightnessCase& test : cases) {
    SCOPED_TRACE(test.name);
    KeyValues releases;
    for (auto [key, value] : test.modifiersOnKeyboard) {
      releases.emplace_back(key, VirtualKeyboard::kReleased);
    }
    // A person holds the modifiers well before the brightness key; the tap
    // has seen them once they are out of the keyboard's clone.
    sendAll(keyboard, test.modifiersOnKeyboard);
    EXPECT_EQ(eventsBeforeMarker(keyboard, *keyboardClone, KEY_ENTER),
              framesOf(test.modifiersOnKeyboard));
    VirtualKeyboard& source = test.onConsumerControl ? consumerControl : keyboard;
    source.press(test.key);
    source.repeat(test.key);
    source.release(test.key);
    EXPECT_EQ(reportsAfter(2), (std::vector<Report>{test.expected, test.expected}));
    sendAll(keyboard, releases);
    std::vector<Event> onKeyboardClone = eventsBeforeMarker(keyboard, *keyboardClone, KEY_ENTER);
    if (test.onConsumerControl) {
      EXPECT_EQ(onKeyboardClone, framesOf(releases));
      EXPECT_TRUE(eventsBeforeMarker(consumerControl, *consumerClone, KEY_MUTE).empty());
    } else {
      // Whether the lone release of a dropped key passes is the tap's choice.
      std::erase(onKeyboardClone, Event{EV_KEY, test.key, VirtualKeyboard::kReleased});
      EXPECT_EQ(vmtest::keyEventsOf(onKeyboardClone), vmtest::keyEventsOf(framesOf(releases)));
    }
  }
}

TEST_F(InputTapInTheKernel, WaitsForAHeldKeyBeforeTakingAKeyboardOver) {
  keyboard.press(KEY_A);
  interceptor->startEventTap();
  consumerClone = waitForClone(kConsumerControlName);
  keyboard.tap(KEY_B);
  EXPECT_EQ(vmtest::keyEventsOf(keyboardReader->readUpTo({EV_KEY, KEY_B, 0})),
            (std::vector<Event>{{EV_KEY, KEY_A, 1}, {EV_KEY, KEY_B, 1}}));
  EXPECT_FALSE(EventNode::deviceExists(cloneOf(kKeyboardName)))
      << "taken over while A was held down";

  keyboard.release(KEY_A);
  keyboardClone = waitForClone(kKeyboardName);
  ASSERT_TRUE(keyboardClone);
  EXPECT_EQ(vmtest::keyEventsOf(keyboardReader->drain()), (std::vector<Event>{{EV_KEY, KEY_A, 0}}));
  keyboard.tap(KEY_C);
  EXPECT_EQ(eventsBeforeMarker(keyboard, *keyboardClone, KEY_ENTER),
            framesOf({{KEY_C, 1}, {KEY_C, 0}}));
  EXPECT_TRUE(keyboardReader->drain().empty());
}

TEST_F(InputTapInTheKernel, TakesOverAKeyboardPluggedInLater) {
  ASSERT_NO_FATAL_FAILURE(startTapAndWaitForClones());
  VirtualKeyboard late(kLateKeyboardName, {KEY_BRIGHTNESSDOWN, KEY_MUTE});
  EventNode lateReader(late.devicePath());
  std::unique_ptr<EventNode> lateClone = waitForClone(kLateKeyboardName);
  ASSERT_TRUE(lateClone);
  late.tap(KEY_BRIGHTNESSDOWN);
  EXPECT_EQ(reportsAfter(1), (std::vector<Report>{{false, false}}));
  EXPECT_TRUE(eventsBeforeMarker(late, *lateClone, KEY_MUTE).empty());
  EXPECT_TRUE(vmtest::keyEventsOf(lateReader.drain()).empty());
}

TEST_F(InputTapInTheKernel, KeepsWorkingWhenAKeyboardIsUnpluggedMidStream) {
  ASSERT_NO_FATAL_FAILURE(startTapAndWaitForClones());
  keyboard.tap(KEY_A);
  consumerControl.press(KEY_VOLUMEUP);
  // The press must be out before the device goes: a vanished device's
  // unread events are gone with it.
  ASSERT_EQ(vmtest::keyEventsOf(consumerClone->readUpTo({EV_SYN, SYN_REPORT, 0})),
            (std::vector<Event>{{EV_KEY, KEY_VOLUMEUP, 1}}));
  vmtest::EventRecorder application(*EventNode::waitForDevice(cloneOf(kConsumerControlName)));
  consumerControl.unplug();
  keyboard.tap(KEY_B);
  EXPECT_EQ(vmtest::keyEventsOf(application.eventsUntilGone()),
            (std::vector<Event>{{EV_KEY, KEY_VOLUMEUP, 0}}))
      << "the clone of the unplugged device must not leave its key down";
  EXPECT_EQ(eventsBeforeMarker(keyboard, *keyboardClone, KEY_ENTER),
            framesOf({{KEY_A, 1}, {KEY_A, 0}, {KEY_B, 1}, {KEY_B, 0}}));
  keyboard.tap(KEY_F15);
  EXPECT_EQ(reportsAfter(1), (std::vector<Report>{{true, false}}));
}

TEST_F(InputTapInTheKernel, StoppingReleasesHeldKeysAndGivesTheKeyboardsBack) {
  ASSERT_NO_FATAL_FAILURE(startTapAndWaitForClones());
  keyboard.press(KEY_A);
  ASSERT_EQ(vmtest::keyEventsOf(keyboardClone->readUpTo({EV_SYN, SYN_REPORT, 0})),
            (std::vector<Event>{{EV_KEY, KEY_A, VirtualKeyboard::kPressed}}));
  vmtest::EventRecorder application(*EventNode::waitForDevice(cloneOf(kKeyboardName)));
  interceptor->stopEventTap();
  EXPECT_EQ(vmtest::keyEventsOf(application.eventsUntilGone()),
            (std::vector<Event>{{EV_KEY, KEY_A, VirtualKeyboard::kReleased}}));
  EXPECT_FALSE(EventNode::deviceExists(cloneOf(kKeyboardName)));
  keyboard.release(KEY_A);
  keyboard.tap(KEY_B);
  EXPECT_EQ(vmtest::keyEventsOf(keyboardReader->readUpTo({EV_KEY, KEY_B, 0})),
            (std::vector<Event>{{EV_KEY, KEY_A, 0}, {EV_KEY, KEY_B, 1}}))
      << "the keyboard is given back";
}

}  // namespace

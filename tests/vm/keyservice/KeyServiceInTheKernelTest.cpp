#include <fcntl.h>
#include <linux/input.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <memory>
#include <optional>
#include <sstream>
#include <string>
#include <thread>
#include <tuple>
#include <utility>
#include <vector>

#include "tests/vm/support/ChildProcess.h"
#include "tests/vm/support/EventNode.h"
#include "tests/vm/support/VirtualKeyboard.h"

// The key service as installed: its own system user, the package's device
// rules applied by udev, started on the first connection to its socket,
// serving an ordinary user's client that cannot open any input device itself
// (tests/vm/program/whole-program checks that the rules deny the user).
namespace {

using namespace vmtest;
using Events = std::vector<Event>;

const std::string kKeyboardName = "VM Test Keyboard";
const std::string kConsumerControlName = "VM Test Consumer Control";
const std::filesystem::path kSocketDirectory = "/run/glimmerbox-keys-test";
const std::string kSocket = kSocketDirectory / "keys.sock";
// Where logind (which the guest lacks) tells who owns the seat's active session.
const std::filesystem::path kSeatFile = "/run/systemd/seats/seat0";
// Ordinary users: the one whose session is active, and another.
constexpr uid_t kSessionUser = 4000;
constexpr uid_t kOtherUser = 4001;
// What the service and its clients write to standard error.
const std::string kLog = "/tmp/glimmerbox-keys.log";

std::string cloneOf(const std::string& name) { return "Glimmerbox/" + name; }

// Hands the seat's active session to `uid` the way logind does: a new file
// renamed over the old one.
void activateSessionOf(uid_t uid) {
  const std::filesystem::path next = kSeatFile.string() + ".next";
  std::ofstream(next) << "ACTIVE=c" << uid << "\nACTIVE_UID=" << uid << "\n";
  std::filesystem::rename(next, kSeatFile);
}

std::string serviceLog() { return (std::ostringstream() << std::ifstream(kLog).rdbuf()).str(); }

// The tray program's side, run as an ordinary user.
std::unique_ptr<ChildProcess> clientOf(uid_t uid) {
  return std::make_unique<ChildProcess>(std::vector<std::string>{GLIMMERBOX_KEY_CLIENT, kSocket},
                                        uid, kLog);
}

std::unique_ptr<EventNode> waitForClone(const std::string& name) {
  std::optional<std::string> path = EventNode::waitForDevice(cloneOf(name));
  return path ? std::make_unique<EventNode>(*path) : nullptr;
}

class KeyServiceInTheKernel : public ::testing::Test {
 protected:
  // The service as systemd starts it: handed its listening socket, as its
  // own user, asking logind whose session is active.
  void SetUp() override {
    std::filesystem::remove_all(kSocketDirectory);
    std::filesystem::create_directory(kSocketDirectory);
    std::filesystem::create_directories(kSeatFile.parent_path());
    activateSessionOf(kSessionUser);
    std::filesystem::remove(kLog);
    service = std::make_unique<ChildProcess>(
        std::vector<std::string>{"/usr/bin/systemd-socket-activate", "-l", kSocket,
                                 "/usr/bin/setpriv", "--reuid=glimmerbox-keys",
                                 "--regid=glimmerbox-keys", "--init-groups",
                                 GLIMMERBOX_KEY_SERVICE},
        0, kLog);
    ASSERT_TRUE(eventually([] { return std::filesystem::exists(kSocket); })) << serviceLog();
    // The socket unit's SocketMode: anyone may knock.
    std::filesystem::permissions(kSocket, std::filesystem::perms(0666));
    // The first knock starts the service; on the emulated machine that takes
    // longer than a client waits for its answer, so knock once beforehand.
    sockaddr_un address{AF_UNIX, {}};
    kSocket.copy(address.sun_path, sizeof address.sun_path - 1);
    const int fd = socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
    connect(fd, reinterpret_cast<sockaddr*>(&address), sizeof address);
    close(fd);
    ASSERT_TRUE(eventually([&] {
      return serviceLog().find("[glimmerbox-keys] Listening") != std::string::npos;
    })) << serviceLog();
  }

  static bool eventually(const auto& done) {
    const auto deadline = std::chrono::steady_clock::now() + kPatience;
    while (!done() && std::chrono::steady_clock::now() < deadline) {
      std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    return done();
  }

  void TearDown() override {
    if (HasFailure()) std::printf("--- the service's and clients' log\n%s", serviceLog().c_str());
  }

  // Whether a reader of the consumer control sees brightness presses within a second.
  bool keyboardsGivenBackWithinASecond() {
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(1);
    bool seen = false;
    while (!seen && std::chrono::steady_clock::now() < deadline) {
      consumerControl.tap(KEY_BRIGHTNESSUP);
      std::this_thread::sleep_for(std::chrono::milliseconds(20));
      seen = std::ranges::count(consumerReader.drain(), Event{EV_KEY, KEY_BRIGHTNESSUP, 1}) > 0;
    }
    return seen;
  }

  void connectSessionUser() {
    user = clientOf(kSessionUser);
    ASSERT_EQ(user->readLine(), "trusted");
    keyboardClone = waitForClone(kKeyboardName);
    consumerClone = waitForClone(kConsumerControlName);
    ASSERT_TRUE(keyboardClone && consumerClone);
  }

  // F15 (brightness up on many keyboards) makes it one the service takes over.
  VirtualKeyboard keyboard{kKeyboardName,
                           {KEY_A, KEY_B, KEY_C, KEY_ENTER, KEY_LEFTSHIFT, KEY_LEFTALT, KEY_F15}};
  VirtualKeyboard consumerControl{kConsumerControlName,
                                  {KEY_BRIGHTNESSUP, KEY_BRIGHTNESSDOWN, KEY_MUTE}};
  // Applications reading the devices themselves, as root.
  EventNode keyboardReader{keyboard.devicePath()};
  EventNode consumerReader{consumerControl.devicePath()};
  std::unique_ptr<EventNode> keyboardClone;
  std::unique_ptr<EventNode> consumerClone;
  std::unique_ptr<ChildProcess> service;
  std::unique_ptr<ChildProcess> user;
};

TEST_F(KeyServiceInTheKernel, ServesOnlyBrightnessPressesAndPassesTheRestThroughItsClones) {
  ASSERT_NO_FATAL_FAILURE(connectSessionUser());
  EXPECT_FALSE(EventNode::deviceExists(cloneOf(cloneOf(kKeyboardName))))
      << "the service took over its own clone";

  // A person holds the modifiers well before the brightness key; the
  // service has seen them once they are out of the keyboard's clone.
  const KeyValues held = {{KEY_LEFTSHIFT, 1}, {KEY_LEFTALT, 1}};
  keyboard.sendAll(held);
  EXPECT_EQ(keyboard.eventsBeforeMarker(*keyboardClone), VirtualKeyboard::framesOf(held));
  consumerControl.sendAll(
      {{KEY_BRIGHTNESSDOWN, 1}, {KEY_BRIGHTNESSDOWN, 2}, {KEY_BRIGHTNESSDOWN, 0}});
  EXPECT_EQ(user->readLine(), "down fine");
  EXPECT_EQ(user->readLine(), "down fine") << "the repeat";
  EXPECT_TRUE(consumerControl.eventsBeforeMarker(*consumerClone, KEY_MUTE).empty());
  const KeyValues released = {{KEY_LEFTSHIFT, 0}, {KEY_LEFTALT, 0}};
  keyboard.sendAll(released);
  EXPECT_EQ(keyboard.eventsBeforeMarker(*keyboardClone), VirtualKeyboard::framesOf(released));

  // Ordinary keys pass exactly once and in order, in batches small enough
  // for the kernel's per-reader buffers, so only the service could lose one.
  const unsigned keys[] = {KEY_A, KEY_B, KEY_C, KEY_LEFTSHIFT};
  for (int first = 0; first < 20000; first += 10) {
    KeyValues batch;
    for (int n = first; n < first + 10; ++n) {
      batch.emplace_back(keys[(n / 2) % std::size(keys)], n % 2 == 0 ? 1 : 0);
    }
    keyboard.sendAll(batch);
    ASSERT_EQ(keyboard.eventsBeforeMarker(*keyboardClone), VirtualKeyboard::framesOf(batch))
        << "from event " << first;
  }
  EXPECT_TRUE(keyboardReader.drain().empty()) << "the keyboard is not grabbed";

  // Caps Lock's light, switched on by an application through the clone,
  // reaches the keyboard.
  const int toClone = open(EventNode::waitForDevice(cloneOf(kKeyboardName))->c_str(), O_WRONLY);
  const input_event capsLockOn[] = {{{}, EV_LED, LED_CAPSL, 1}, {{}, EV_SYN, SYN_REPORT, 0}};
  EXPECT_EQ(write(toClone, capsLockOn, sizeof capsLockOn), ssize_t{sizeof capsLockOn});
  close(toClone);
  EXPECT_EQ(keyboard.ledChanges(), (Events{{EV_LED, LED_CAPSL, 1}}));

  // A keyboard plugged in later is taken over too, its brightness keys kept.
  VirtualKeyboard late("VM Test Late Keyboard", {KEY_BRIGHTNESSDOWN, KEY_MUTE});
  std::unique_ptr<EventNode> lateClone = waitForClone("VM Test Late Keyboard");
  ASSERT_TRUE(lateClone);
  late.tap(KEY_BRIGHTNESSDOWN);
  EXPECT_EQ(user->readLine(), "down coarse");
  EXPECT_TRUE(late.eventsBeforeMarker(*lateClone, KEY_MUTE).empty());
}

TEST_F(KeyServiceInTheKernel, RefusesAnotherUserAndGrabsNothing) {
  ChildProcess other({GLIMMERBOX_KEY_CLIENT, kSocket}, kOtherUser, kLog);
  EXPECT_EQ(other.readLine(), "untrusted");
  consumerControl.tap(KEY_BRIGHTNESSUP);
  EXPECT_EQ(keyEventsOf(consumerReader.readUpTo({EV_KEY, KEY_BRIGHTNESSUP, 0})),
            (Events{{EV_KEY, KEY_BRIGHTNESSUP, VirtualKeyboard::kPressed}}));
}

TEST_F(KeyServiceInTheKernel, GivesTheKeyboardBackWithinASecondOfTheClientsDeath) {
  ASSERT_NO_FATAL_FAILURE(connectSessionUser());
  user.reset();
  EXPECT_TRUE(keyboardsGivenBackWithinASecond()) << "a reader saw no brightness key within 1 s";
}

// A user switch and back: each time the keys leave the user who left the
// screen within a second and reach the client of the user at it, which
// polls on and needs no restart. A key held across the switch comes up for
// the applications, and typing passes through each new clone.
TEST_F(KeyServiceInTheKernel, KeysFollowTheActiveSessionBothWays) {
  ASSERT_NO_FATAL_FAILURE(connectSessionUser());
  ChildProcess other({GLIMMERBOX_KEY_CLIENT, kSocket}, kOtherUser, kLog);
  ASSERT_EQ(other.readLine(), "untrusted");
  const KeyValues typing = {{KEY_A, 1}, {KEY_A, 0}};
  for (auto [uid, gains, loses] :
       {std::tuple{kOtherUser, &other, user.get()}, std::tuple{kSessionUser, user.get(), &other}}) {
    keyboard.press(KEY_C);
    activateSessionOf(uid);
    EXPECT_TRUE(keyboardsGivenBackWithinASecond()) << "the keys stayed after the switch to " << uid;
    keyboard.release(KEY_C);
    keyboardReader.readUpTo({EV_KEY, KEY_C, 0});
    std::string news;  // Presses sent before the service heard of the switch come first.
    while ((news = loses->readLine()).ends_with("coarse")) {
    }
    EXPECT_EQ(news, "untrusted");
    EXPECT_EQ(gains->readLine(), "trusted");
    ASSERT_TRUE((keyboardClone = waitForClone(kKeyboardName)) &&
                (consumerClone = waitForClone(kConsumerControlName)));
    consumerControl.tap(KEY_BRIGHTNESSDOWN);
    EXPECT_EQ(gains->readLine(), "down coarse");
    keyboard.sendAll(typing);
    EXPECT_EQ(keyboard.eventsBeforeMarker(*keyboardClone), VirtualKeyboard::framesOf(typing));
  }
}

// As with a missing device rule or the unit's device policy: the event nodes
// are root's alone. The service names them and refuses instead of serving.
TEST_F(KeyServiceInTheKernel, RefusesTheClientWhenItMayOpenNoKeyboard) {
  std::vector<std::pair<std::filesystem::path, std::filesystem::perms>> modes;
  for (const auto& node : std::filesystem::directory_iterator("/dev/input")) {
    if (node.path().filename().string().starts_with("event")) {
      modes.emplace_back(node.path(), node.status().permissions());
      std::filesystem::permissions(node.path(), std::filesystem::perms::owner_read);
    }
  }
  EXPECT_EQ(clientOf(kSessionUser)->readLine(), "untrusted");
  for (const auto& [node, mode] : modes) std::filesystem::permissions(node, mode);
  const std::string log = serviceLog();
  EXPECT_NE(log.find("Cannot open " + keyboard.devicePath() + ": Permission denied"),
            std::string::npos);
  EXPECT_NE(log.find("Refused uid 4000: cannot take over the keyboards"), std::string::npos);
}

}  // namespace

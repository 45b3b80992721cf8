#include <fcntl.h>
#include <grp.h>
#include <linux/input.h>
#include <pwd.h>
#include <signal.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <functional>
#include <memory>
#include <sstream>
#include <string>
#include <thread>
#include <utility>
#include <vector>

#include "tests/vm/support/ChildProcess.h"
#include "tests/vm/support/EventNode.h"
#include "tests/vm/support/SysfsFile.h"
#include "tests/vm/support/VirtualKeyboard.h"

// The key service as installed: its own system user, the package's device
// rules applied by udev, started on the first connection to its socket,
// serving an ordinary user's client that cannot open any input device itself.
namespace {

using vmtest::Event;
using vmtest::EventNode;
using vmtest::keyEventsOf;
using vmtest::KeyValues;
using vmtest::VirtualKeyboard;
using Events = std::vector<Event>;

const std::string kKeyboardName = "VM Test Keyboard";
const std::string kConsumerControlName = "VM Test Consumer Control";
const std::string kServiceUser = "glimmerbox-keys";
const std::filesystem::path kSocketDirectory = "/run/glimmerbox-keys-test";
const std::string kSocket = kSocketDirectory / "keys.sock";
// Where logind tells who owns the seat's active session; the guest runs no
// logind, so the test writes it.
const std::filesystem::path kSeatFile = "/run/systemd/seats/seat0";
// Ordinary users: the one whose session is active, and another.
constexpr uid_t kSessionUser = 4000;
constexpr uid_t kOtherUser = 4001;
constexpr std::chrono::seconds kUngrabDeadline{1};

std::string cloneOf(const std::string& name) { return "Glimmerbox/" + name; }

// A line of /proc/PID/status, after its name.
std::string statusField(pid_t pid, const std::string& name) {
  std::istringstream lines(vmtest::readFile("/proc/" + std::to_string(pid) + "/status"));
  for (std::string line; std::getline(lines, line);) {
    if (line.starts_with(name + ":\t")) {
      return line.substr(name.size() + 2);
    }
  }
  return "";
}

std::unique_ptr<EventNode> waitForClone(const std::string& name) {
  std::optional<std::string> path = EventNode::waitForDevice(cloneOf(name));
  if (!path) {
    ADD_FAILURE() << "the service never took over " << name;
    return nullptr;
  }
  return std::make_unique<EventNode>(*path);
}

class KeyServiceInTheKernel : public ::testing::Test {
 protected:
  // The service as systemd starts it: handed its listening socket, as its
  // own user, asking logind whose session is active.
  void SetUp() override {
    std::filesystem::remove_all(kSocketDirectory);
    std::filesystem::create_directory(kSocketDirectory);
    std::filesystem::create_directories(kSeatFile.parent_path());
    std::ofstream(kSeatFile) << "ACTIVE=c1\nACTIVE_UID=" << kSessionUser << "\n";
    std::filesystem::remove(logPath);
    service = std::make_unique<vmtest::ChildProcess>(
        std::vector<std::string>{"/usr/bin/systemd-socket-activate", "-l", kSocket,
                                 "/usr/bin/setpriv", "--reuid=" + kServiceUser,
                                 "--regid=" + kServiceUser, "--init-groups",
                                 GLIMMERBOX_KEY_SERVICE},
        vmtest::Identity{0, 0, {}}, logPath);
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

  static bool eventually(const std::function<bool()>& done) {
    const auto deadline = std::chrono::steady_clock::now() + vmtest::kPatience;
    while (!done() && std::chrono::steady_clock::now() < deadline) {
      std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    return done();
  }

  void TearDown() override {
    if (HasFailure()) {
      std::printf("--- the service's and clients' log\n%s", serviceLog().c_str());
    }
  }

  // A client that has shown it can open no input device itself.
  std::unique_ptr<vmtest::ChildProcess> startClient(uid_t uid) {
    auto client = std::make_unique<vmtest::ChildProcess>(
        std::vector<std::string>{GLIMMERBOX_KEY_CLIENT, kSocket}, vmtest::Identity{uid, uid, {}},
        logPath);
    EXPECT_TRUE(client->readLine().value_or("").starts_with("denied "));
    return client;
  }

  void connectSessionUser() {
    user = startClient(kSessionUser);
    ASSERT_EQ(user->readLine(), "trusted");
    keyboardClone = waitForClone(kKeyboardName);
    consumerClone = waitForClone(kConsumerControlName);
    ASSERT_TRUE(keyboardClone && consumerClone);
  }

  std::vector<std::string> linesFromUser(std::size_t count) {
    std::vector<std::string> lines;
    for (std::size_t i = 0; i < count; ++i) {
      lines.push_back(user->readLine().value_or("(nothing)"));
    }
    return lines;
  }

  std::string serviceLog() const {
    return std::filesystem::exists(logPath) ? vmtest::readFile(logPath) : "";
  }

  const std::string logPath = "/tmp/glimmerbox-keys.log";
  VirtualKeyboard keyboard{kKeyboardName,
                           {KEY_A, KEY_B, KEY_C, KEY_ENTER, KEY_LEFTSHIFT, KEY_LEFTALT, KEY_F15}};
  VirtualKeyboard consumerControl{kConsumerControlName,
                                  {KEY_BRIGHTNESSUP, KEY_BRIGHTNESSDOWN, KEY_VOLUMEUP, KEY_MUTE}};
  // Applications reading the devices themselves, as root.
  EventNode keyboardReader{keyboard.devicePath()};
  EventNode consumerReader{consumerControl.devicePath()};
  std::unique_ptr<EventNode> keyboardClone;
  std::unique_ptr<EventNode> consumerClone;
  std::unique_ptr<vmtest::ChildProcess> service;
  std::unique_ptr<vmtest::ChildProcess> user;
};

struct BrightnessCase {
  const char* name;
  KeyValues modifiersOnKeyboard;
  bool onConsumerControl;
  unsigned key;
  const char* reported;
};

TEST_F(KeyServiceInTheKernel, ServesOnlyBrightnessPressesToAUserWhoCannotOpenTheDevices) {
  ASSERT_NO_FATAL_FAILURE(connectSessionUser());
  const std::string uid = std::to_string(getpwnam(kServiceUser.c_str())->pw_uid);
  EXPECT_EQ(statusField(service->pid(), "Uid"), uid + "\t" + uid + "\t" + uid + "\t" + uid);
  EXPECT_NE(statusField(service->pid(), "Groups").find(std::to_string(getgrnam("input")->gr_gid)),
            std::string::npos);
  EXPECT_EQ(statusField(service->pid(), "CapEff"), "0000000000000000");
  EXPECT_FALSE(EventNode::deviceExists(cloneOf(cloneOf(kKeyboardName))))
      << "the service took over its own clone";
  const KeyValues volume = {{KEY_VOLUMEUP, 1}, {KEY_VOLUMEUP, 0}};
  consumerControl.sendAll(volume);
  EXPECT_EQ(consumerControl.eventsBeforeMarker(*consumerClone, KEY_MUTE),
            VirtualKeyboard::framesOf(volume));

  const BrightnessCase cases[] = {
      {"up alone", {}, true, KEY_BRIGHTNESSUP, "up coarse"},
      {"down with Shift and Alt held on the other keyboard",
       {{KEY_LEFTSHIFT, 1}, {KEY_LEFTALT, 1}},
       true,
       KEY_BRIGHTNESSDOWN,
       "down fine"},
      {"F15 with Alt alone is coarse", {{KEY_LEFTALT, 1}}, false, KEY_F15, "up coarse"},
  };
  for (const BrightnessCase& test : cases) {
    SCOPED_TRACE(test.name);
    KeyValues releases;
    for (auto [key, value] : test.modifiersOnKeyboard) {
      releases.emplace_back(key, VirtualKeyboard::kReleased);
    }
    // A person holds the modifiers well before the brightness key; the
    // service has seen them once they are out of the keyboard's clone.
    keyboard.sendAll(test.modifiersOnKeyboard);
    EXPECT_EQ(keyboard.eventsBeforeMarker(*keyboardClone),
              VirtualKeyboard::framesOf(test.modifiersOnKeyboard));
    VirtualKeyboard& source = test.onConsumerControl ? consumerControl : keyboard;
    source.sendAll({{test.key, 1}, {test.key, VirtualKeyboard::kRepeated}, {test.key, 0}});
    EXPECT_EQ(linesFromUser(2), (std::vector<std::string>{test.reported, test.reported}));
    keyboard.sendAll(releases);
    Events onKeyboardClone = keyboard.eventsBeforeMarker(*keyboardClone);
    // Whether the lone release of a dropped key passes is the service's choice.
    std::erase(onKeyboardClone, Event{EV_KEY, test.key, VirtualKeyboard::kReleased});
    EXPECT_EQ(keyEventsOf(onKeyboardClone), keyEventsOf(VirtualKeyboard::framesOf(releases)));
    EXPECT_TRUE(consumerControl.eventsBeforeMarker(*consumerClone, KEY_MUTE).empty());
  }

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
  EXPECT_TRUE(consumerReader.drain().empty()) << "the consumer control is not grabbed";

  // Caps Lock's light, switched on by an application through the clone,
  // reaches the keyboard.
  const int toClone = open(EventNode::waitForDevice(cloneOf(kKeyboardName))->c_str(), O_WRONLY);
  const input_event capsLockOn[] = {{{}, EV_LED, LED_CAPSL, 1}, {{}, EV_SYN, SYN_REPORT, 0}};
  EXPECT_EQ(write(toClone, capsLockOn, sizeof capsLockOn), ssize_t{sizeof capsLockOn});
  close(toClone);
  EXPECT_EQ(keyboard.ledChanges(), (Events{{EV_LED, LED_CAPSL, 1}}));

  VirtualKeyboard late("VM Test Late Keyboard", {KEY_BRIGHTNESSDOWN, KEY_MUTE});
  EventNode lateReader(late.devicePath());
  std::unique_ptr<EventNode> lateClone = waitForClone("VM Test Late Keyboard");
  ASSERT_TRUE(lateClone);
  late.tap(KEY_BRIGHTNESSDOWN);
  EXPECT_EQ(user->readLine(), "down coarse");
  EXPECT_TRUE(late.eventsBeforeMarker(*lateClone, KEY_MUTE).empty());
  EXPECT_TRUE(keyEventsOf(lateReader.drain()).empty());
}

TEST_F(KeyServiceInTheKernel, RefusesAnotherUserWithALogLineAndGrabsNothing) {
  std::unique_ptr<vmtest::ChildProcess> other = startClient(kOtherUser);
  EXPECT_EQ(other->readLine(), "untrusted");
  EXPECT_NE(serviceLog().find("[glimmerbox-keys] Refused uid " + std::to_string(kOtherUser) +
                              ": not the owner of the active session\n"),
            std::string::npos);
  consumerControl.tap(KEY_BRIGHTNESSUP);
  EXPECT_EQ(keyEventsOf(consumerReader.readUpTo({EV_KEY, KEY_BRIGHTNESSUP, 0})),
            (Events{{EV_KEY, KEY_BRIGHTNESSUP, VirtualKeyboard::kPressed}}));
  EXPECT_FALSE(EventNode::deviceExists(cloneOf(kConsumerControlName)));
}

TEST_F(KeyServiceInTheKernel, GivesTheKeyboardBackWithinASecondOfTheClientsDeath) {
  ASSERT_NO_FATAL_FAILURE(connectSessionUser());
  user->kill(SIGKILL);
  const auto deadline = std::chrono::steady_clock::now() + kUngrabDeadline;
  bool seen = false;
  while (!seen && std::chrono::steady_clock::now() < deadline) {
    consumerControl.tap(KEY_BRIGHTNESSUP);
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
    seen = std::ranges::count(consumerReader.drain(), Event{EV_KEY, KEY_BRIGHTNESSUP, 1}) > 0;
  }
  EXPECT_TRUE(seen) << "a reader of the keyboard saw no brightness key within 1 s";
  EXPECT_NE(serviceLog().find("[glimmerbox-keys] Client left; keyboards given back\n"),
            std::string::npos);
}

TEST_F(KeyServiceInTheKernel, AKilledServiceLeavesNoKeyDownAndItsClientUntrusted) {
  ASSERT_NO_FATAL_FAILURE(connectSessionUser());
  keyboard.press(KEY_A);
  ASSERT_EQ(keyEventsOf(keyboardClone->readUpTo({EV_SYN, SYN_REPORT, 0})),
            (Events{{EV_KEY, KEY_A, VirtualKeyboard::kPressed}}));
  EXPECT_EQ(
      keyEventsOf(EventNode::eventsUntilGone(*EventNode::waitForDevice(cloneOf(kKeyboardName)),
                                             [&] { service->kill(SIGKILL); })),
      (Events{{EV_KEY, KEY_A, VirtualKeyboard::kReleased}}))
      << "the clone must not leave A down";
  EXPECT_EQ(user->readLine(), "untrusted");
  keyboard.release(KEY_A);
  keyboard.tap(KEY_B);
  EXPECT_EQ(keyEventsOf(keyboardReader.readUpTo({EV_KEY, KEY_B, 0})),
            (Events{{EV_KEY, KEY_A, 0}, {EV_KEY, KEY_B, 1}}))
      << "the keyboard is given back";
}

}  // namespace

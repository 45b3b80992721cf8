#include <fcntl.h>
#include <grp.h>
#include <linux/input.h>
#include <poll.h>
#include <signal.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <sys/wait.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <filesystem>
#include <fstream>
#include <functional>
#include <memory>
#include <optional>
#include <sstream>
#include <stdexcept>
#include <string>
#include <thread>
#include <tuple>
#include <utility>
#include <vector>

#include "tests/vm/support/EventNode.h"
#include "tests/vm/support/VirtualKeyboard.h"

// The key service as installed: its own system user, the package's device
// rules applied by udev, started on the first connection to its socket,
// serving an ordinary user's client that cannot open any input device itself
// (tests/vm/program/whole-program checks that the rules deny the user).
namespace {

using vmtest::Event;
using vmtest::EventNode;
using vmtest::keyEventsOf;
using vmtest::KeyValues;
using vmtest::VirtualKeyboard;
using Events = std::vector<Event>;

const std::string kKeyboardName = "VM Test Keyboard";
const std::string kConsumerControlName = "VM Test Consumer Control";
const std::filesystem::path kSocketDirectory = "/run/glimmerbox-keys-test";
const std::string kSocket = kSocketDirectory / "keys.sock";
// Where logind tells who owns the seat's active session; the guest runs no
// logind, so the test writes it.
const std::filesystem::path kSeatFile = "/run/systemd/seats/seat0";
// Ordinary users: the one whose session is active, and another.
constexpr uid_t kSessionUser = 4000;
constexpr uid_t kOtherUser = 4001;
constexpr std::chrono::seconds kUngrabDeadline{1};
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

std::string serviceLog() {
  std::ostringstream contents;
  contents << std::ifstream(kLog).rdbuf();
  return contents.str();
}

// A program started as `uid`, its standard output read line by line, its
// standard error appended to kLog. Killed when it goes out of scope.
class ChildProcess {
 public:
  ChildProcess(std::vector<std::string> argv, uid_t uid) {
    std::vector<char*> arguments;
    for (std::string& argument : argv) arguments.push_back(argument.data());
    arguments.push_back(nullptr);
    int output[2];
    const int errorFd = open(kLog.c_str(), O_WRONLY | O_CREAT | O_APPEND | O_CLOEXEC, 0644);
    if (errorFd < 0 || pipe2(output, O_CLOEXEC) != 0) {
      throw std::runtime_error("cannot start " + argv[0]);
    }
    pid_ = fork();
    // Only async-signal-safe calls before exec: the parent has threads.
    if (pid_ == 0) {
      if (dup2(output[1], STDOUT_FILENO) >= 0 && dup2(errorFd, STDERR_FILENO) >= 0 &&
          setgroups(0, nullptr) == 0 && setgid(uid) == 0 && setuid(uid) == 0) {
        execv(arguments[0], arguments.data());
      }
      _exit(127);
    }
    close(output[1]);
    close(errorFd);
    outputFd_ = output[0];
  }
  ~ChildProcess() {
    kill();
    close(outputFd_);
  }
  ChildProcess(const ChildProcess&) = delete;
  ChildProcess& operator=(const ChildProcess&) = delete;

  void kill() {
    if (pid_ > 0) {
      ::kill(pid_, SIGKILL);
      waitpid(pid_, nullptr, 0);
      pid_ = -1;
    }
  }

  // The next line it printed, without its newline; "(nothing)" once it
  // stopped printing or kPatience passed.
  std::string readLine() {
    const auto deadline = std::chrono::steady_clock::now() + vmtest::kPatience;
    std::size_t end;
    while ((end = buffered_.find('\n')) == std::string::npos) {
      const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
          deadline - std::chrono::steady_clock::now());
      pollfd ready{outputFd_, POLLIN, 0};
      char chunk[256];
      ssize_t got = 0;
      if (left.count() <= 0 || poll(&ready, 1, static_cast<int>(left.count())) != 1 ||
          (got = read(outputFd_, chunk, sizeof chunk)) <= 0) {
        return "(nothing)";
      }
      buffered_.append(chunk, static_cast<std::size_t>(got));
    }
    std::string line = buffered_.substr(0, end);
    buffered_.erase(0, end + 1);
    return line;
  }

 private:
  pid_t pid_ = -1;
  int outputFd_ = -1;
  std::string buffered_;
};

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
    activateSessionOf(kSessionUser);
    std::filesystem::remove(kLog);
    service = std::make_unique<ChildProcess>(
        std::vector<std::string>{"/usr/bin/systemd-socket-activate", "-l", kSocket,
                                 "/usr/bin/setpriv", "--reuid=glimmerbox-keys",
                                 "--regid=glimmerbox-keys", "--init-groups",
                                 GLIMMERBOX_KEY_SERVICE},
        0);
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

  // Whether a reader of the consumer control sees brightness presses again
  // within a second: the service gave the keyboards back.
  bool keyboardsGivenBackWithinASecond() {
    const auto deadline = std::chrono::steady_clock::now() + kUngrabDeadline;
    bool seen = false;
    while (!seen && std::chrono::steady_clock::now() < deadline) {
      consumerControl.tap(KEY_BRIGHTNESSUP);
      std::this_thread::sleep_for(std::chrono::milliseconds(20));
      seen = std::ranges::count(consumerReader.drain(), Event{EV_KEY, KEY_BRIGHTNESSUP, 1}) > 0;
    }
    return seen;
  }

  void connectSessionUser() {
    user = std::make_unique<ChildProcess>(std::vector<std::string>{GLIMMERBOX_KEY_CLIENT, kSocket},
                                          kSessionUser);
    ASSERT_EQ(user->readLine(), "trusted");
    keyboardClone = waitForClone(kKeyboardName);
    consumerClone = waitForClone(kConsumerControlName);
    ASSERT_TRUE(keyboardClone && consumerClone);
  }

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

struct BrightnessCase {
  const char* name;
  KeyValues modifiersOnKeyboard;
  bool onConsumerControl;
  unsigned key;
  const char* reported;
};

TEST_F(KeyServiceInTheKernel, ServesOnlyBrightnessPressesAndPassesTheRestThroughItsClones) {
  ASSERT_NO_FATAL_FAILURE(connectSessionUser());
  EXPECT_FALSE(EventNode::deviceExists(cloneOf(cloneOf(kKeyboardName))))
      << "the service took over its own clone";

  // In this order: Shift still counting after its release would make the
  // second press fine.
  const BrightnessCase cases[] = {
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
    EXPECT_EQ(user->readLine(), test.reported);
    EXPECT_EQ(user->readLine(), test.reported) << "the repeat";
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

TEST_F(KeyServiceInTheKernel, RefusesAnotherUserAndGrabsNothing) {
  ChildProcess other({GLIMMERBOX_KEY_CLIENT, kSocket}, kOtherUser);
  EXPECT_EQ(other.readLine(), "untrusted");
  consumerControl.tap(KEY_BRIGHTNESSUP);
  EXPECT_EQ(keyEventsOf(consumerReader.readUpTo({EV_KEY, KEY_BRIGHTNESSUP, 0})),
            (Events{{EV_KEY, KEY_BRIGHTNESSUP, VirtualKeyboard::kPressed}}));
}

TEST_F(KeyServiceInTheKernel, GivesTheKeyboardBackWithinASecondOfTheClientsDeath) {
  ASSERT_NO_FATAL_FAILURE(connectSessionUser());
  user->kill();
  EXPECT_TRUE(keyboardsGivenBackWithinASecond()) << "a reader saw no brightness key within 1 s";
}

// A user switch and back: each time the keys leave the user who left the
// screen within a second and reach the client of the user at it, which
// polls on and needs no restart. A key held across the switch comes up for
// the applications, and typing passes through each new clone.
TEST_F(KeyServiceInTheKernel, KeysFollowTheActiveSessionBothWays) {
  ASSERT_NO_FATAL_FAILURE(connectSessionUser());
  ChildProcess other({GLIMMERBOX_KEY_CLIENT, kSocket}, kOtherUser);
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
  ChildProcess client({GLIMMERBOX_KEY_CLIENT, kSocket}, kSessionUser);
  EXPECT_EQ(client.readLine(), "untrusted");
  for (const auto& [node, mode] : modes) std::filesystem::permissions(node, mode);
  const std::string log = serviceLog();
  EXPECT_NE(log.find("Cannot open " + keyboard.devicePath() + ": Permission denied"),
            std::string::npos);
  EXPECT_NE(log.find("Refused uid 4000: cannot take over the keyboards"), std::string::npos);
}

}  // namespace

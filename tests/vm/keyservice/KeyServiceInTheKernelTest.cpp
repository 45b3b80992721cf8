#include <grp.h>
#include <linux/input.h>
#include <pwd.h>
#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
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

// The key service as installed: its own system user with the device access
// the package's rules give it, serving an ordinary user's client that cannot
// open any input device itself.
namespace {

using vmtest::Event;
using vmtest::EventNode;
using vmtest::keyEventsOf;
using vmtest::KeyValues;
using vmtest::VirtualKeyboard;

const std::string kKeyboardName = "VM Test Keyboard";
const std::string kCloneName = "Glimmerbox/" + kKeyboardName;
const std::string kServiceUser = "glimmerbox-keys";
const std::filesystem::path kSocketDirectory = "/run/glimmerbox-keys-test";
const std::string kSocket = kSocketDirectory / "keys.sock";
// Ordinary users: the one whose session is active, and another.
constexpr uid_t kSessionUser = 4000;
constexpr uid_t kOtherUser = 4001;
constexpr std::chrono::seconds kUngrabDeadline{1};

vmtest::Identity serviceIdentity() {
  const passwd* user = getpwnam(kServiceUser.c_str());
  if (user == nullptr) {
    throw std::runtime_error("no user " + kServiceUser);
  }
  int count = 32;
  std::vector<gid_t> groups(count);
  getgrouplist(user->pw_name, user->pw_gid, groups.data(), &count);
  groups.resize(count);
  return {user->pw_uid, user->pw_gid, groups};
}

// What udev makes of the nodes on an installed system (the guest runs no
// udev): keyboards root:input 0660, uinput the service group's alone.
void applyDeviceRules(gid_t serviceGroup) {
  const gid_t input = getgrnam("input")->gr_gid;
  for (const auto& entry : std::filesystem::directory_iterator("/dev/input")) {
    if (entry.path().filename().string().starts_with("event")) {
      ASSERT_EQ(chown(entry.path().c_str(), 0, input), 0);
      ASSERT_EQ(chmod(entry.path().c_str(), 0660), 0);
    }
  }
  ASSERT_EQ(chown("/dev/uinput", 0, serviceGroup), 0);
  ASSERT_EQ(chmod("/dev/uinput", 0660), 0);
}

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

class KeyServiceInTheKernel : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_NO_FATAL_FAILURE(applyDeviceRules(identity.gid));
    std::filesystem::remove_all(kSocketDirectory);
    std::filesystem::create_directory(kSocketDirectory);
    ASSERT_EQ(chown(kSocketDirectory.c_str(), identity.uid, identity.gid), 0);
    std::filesystem::remove(logPath);
    service = std::make_unique<vmtest::ChildProcess>(
        std::vector<std::string>{GLIMMERBOX_KEY_SERVICE, "--socket", kSocket, "--allow-uid",
                                 std::to_string(kSessionUser)},
        identity, logPath);
    const auto deadline = std::chrono::steady_clock::now() + vmtest::kPatience;
    while (!std::filesystem::exists(kSocket) && std::chrono::steady_clock::now() < deadline) {
      std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    ASSERT_TRUE(std::filesystem::exists(kSocket)) << serviceLog();
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
    std::optional<std::string> path = EventNode::waitForDevice(kCloneName);
    ASSERT_TRUE(path) << "the service never took the keyboard over";
    clone = std::make_unique<EventNode>(*path);
  }

  std::string serviceLog() const {
    return std::filesystem::exists(logPath) ? vmtest::readFile(logPath) : "";
  }

  const vmtest::Identity identity = serviceIdentity();
  const std::string logPath = "/tmp/glimmerbox-keys.log";
  VirtualKeyboard keyboard{kKeyboardName,
                           {KEY_A, KEY_B, KEY_C, KEY_ENTER, KEY_LEFTSHIFT, KEY_LEFTALT,
                            KEY_BRIGHTNESSUP, KEY_BRIGHTNESSDOWN}};
  // An application reading the keyboard itself, as root.
  EventNode keyboardReader{keyboard.devicePath()};
  std::unique_ptr<EventNode> clone;
  std::unique_ptr<vmtest::ChildProcess> service;
  std::unique_ptr<vmtest::ChildProcess> user;
};

TEST_F(KeyServiceInTheKernel, ServesBrightnessPressesToAUserWhoCannotOpenTheDevices) {
  const std::string uid = std::to_string(identity.uid);
  EXPECT_NE(identity.uid, 0u);
  EXPECT_EQ(statusField(service->pid(), "Uid"), uid + "\t" + uid + "\t" + uid + "\t" + uid);
  EXPECT_NE(statusField(service->pid(), "Groups").find(std::to_string(getgrnam("input")->gr_gid)),
            std::string::npos);
  EXPECT_EQ(statusField(service->pid(), "CapEff"), "0000000000000000");
  ASSERT_NO_FATAL_FAILURE(connectSessionUser());
  keyboard.sendAll({{KEY_LEFTSHIFT, 1},
                    {KEY_LEFTALT, 1},
                    {KEY_BRIGHTNESSDOWN, 1},
                    {KEY_BRIGHTNESSDOWN, VirtualKeyboard::kRepeated},
                    {KEY_BRIGHTNESSDOWN, 0},
                    {KEY_LEFTSHIFT, 0},
                    {KEY_LEFTALT, 0}});
  EXPECT_EQ(user->readLine(), "down fine");
  EXPECT_EQ(user->readLine(), "down fine");
  std::vector<Event> passed = keyEventsOf(keyboard.eventsBeforeMarker(*clone));
  // Whether the lone release of a dropped key passes is the service's choice.
  std::erase(passed, Event{EV_KEY, KEY_BRIGHTNESSDOWN, 0});
  EXPECT_EQ(passed,
            keyEventsOf(VirtualKeyboard::framesOf(
                {{KEY_LEFTSHIFT, 1}, {KEY_LEFTALT, 1}, {KEY_LEFTSHIFT, 0}, {KEY_LEFTALT, 0}})));

  // Ordinary keys pass exactly once and in order, in batches small enough
  // for the kernel's per-reader buffers, so only the service could lose one.
  const unsigned keys[] = {KEY_A, KEY_B, KEY_C, KEY_LEFTSHIFT};
  for (int first = 0; first < 20000; first += 10) {
    KeyValues batch;
    for (int n = first; n < first + 10; ++n) {
      batch.emplace_back(keys[(n / 2) % std::size(keys)], n % 2 == 0 ? 1 : 0);
    }
    keyboard.sendAll(batch);
    ASSERT_EQ(keyboard.eventsBeforeMarker(*clone), VirtualKeyboard::framesOf(batch))
        << "from event " << first;
  }
  EXPECT_TRUE(keyboardReader.drain().empty()) << "the keyboard is not grabbed";
}

TEST_F(KeyServiceInTheKernel, RefusesAnotherUserWithALogLineAndGrabsNothing) {
  std::unique_ptr<vmtest::ChildProcess> other = startClient(kOtherUser);
  EXPECT_EQ(other->readLine(), "untrusted");
  EXPECT_NE(serviceLog().find("[glimmerbox-keys] Refused uid " + std::to_string(kOtherUser) +
                              ": not the owner of the active session\n"),
            std::string::npos);
  keyboard.tap(KEY_BRIGHTNESSUP);
  EXPECT_EQ(keyEventsOf(keyboardReader.readUpTo({EV_KEY, KEY_BRIGHTNESSUP, 0})),
            (std::vector<Event>{{EV_KEY, KEY_BRIGHTNESSUP, VirtualKeyboard::kPressed}}));
  EXPECT_FALSE(EventNode::deviceExists(kCloneName));
}

TEST_F(KeyServiceInTheKernel, GivesTheKeyboardBackWithinASecondOfTheClientsDeath) {
  ASSERT_NO_FATAL_FAILURE(connectSessionUser());
  user->kill(SIGKILL);
  const auto deadline = std::chrono::steady_clock::now() + kUngrabDeadline;
  bool seen = false;
  while (!seen && std::chrono::steady_clock::now() < deadline) {
    keyboard.tap(KEY_BRIGHTNESSUP);
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
    seen = std::ranges::count(keyboardReader.drain(), Event{EV_KEY, KEY_BRIGHTNESSUP, 1}) > 0;
  }
  EXPECT_TRUE(seen) << "a reader of the keyboard saw no brightness key within 1 s";
  EXPECT_NE(serviceLog().find("[glimmerbox-keys] Client left; keyboards given back\n"),
            std::string::npos);
}

TEST_F(KeyServiceInTheKernel, AKilledServiceLeavesNoKeyDownAndItsClientUntrusted) {
  ASSERT_NO_FATAL_FAILURE(connectSessionUser());
  keyboard.press(KEY_A);
  ASSERT_EQ(keyEventsOf(clone->readUpTo({EV_SYN, SYN_REPORT, 0})),
            (std::vector<Event>{{EV_KEY, KEY_A, VirtualKeyboard::kPressed}}));
  EXPECT_EQ(keyEventsOf(EventNode::eventsUntilGone(*EventNode::waitForDevice(kCloneName),
                                                   [&] { service->kill(SIGKILL); })),
            (std::vector<Event>{{EV_KEY, KEY_A, VirtualKeyboard::kReleased}}))
      << "the clone must not leave A down";
  EXPECT_EQ(user->readLine(), "untrusted");
  keyboard.release(KEY_A);
  keyboard.tap(KEY_B);
  EXPECT_EQ(keyEventsOf(keyboardReader.readUpTo({EV_KEY, KEY_B, 0})),
            (std::vector<Event>{{EV_KEY, KEY_A, 0}, {EV_KEY, KEY_B, 1}}))
      << "the keyboard is given back";
}

}  // namespace

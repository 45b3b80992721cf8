#include "keyservice/KeyService.h"

#include <gtest/gtest.h>
#include <sys/eventfd.h>
#include <sys/socket.h>
#include <sys/time.h>
#include <sys/un.h>
#include <unistd.h>

#include <atomic>
#include <thread>

#include "keyservice/FixedSessionOwnerLookup.h"

using platform::KeyServiceMessage;
using Refusal = KeyServiceMessage::Refusal;

namespace {

struct CountedTap : platform::InputTap {
  explicit CountedTap(std::atomic<int>& live) : live(live) { ++live; }
  ~CountedTap() override { --live; }
  std::atomic<int>& live;
};

// A service for this process's user on an autobound abstract socket, run on
// its own thread.
class KeyServiceTest : public testing::Test {
 protected:
  void SetUp() override {
    ASSERT_EQ(bind(listenFd, reinterpret_cast<sockaddr*>(&address), sizeof(sa_family_t)), 0);
    ASSERT_EQ(listen(listenFd, 4), 0);
    ASSERT_EQ(getsockname(listenFd, reinterpret_cast<sockaddr*>(&address), &addressLength), 0);
    thread = std::thread([this] { service.run(); });
  }
  void TearDown() override {
    const std::uint64_t one = 1;
    EXPECT_EQ(write(stopFd, &one, sizeof one), 8);
    if (thread.joinable()) thread.join();
    close(listenFd);
    close(stopFd);
  }
  // Connects and returns the socket and the service's first answer.
  std::pair<int, std::optional<KeyServiceMessage>> connectClient() {
    const int fd = socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
    const timeval patience{5, 0};  // A wrong answer fails the test instead of hanging it.
    setsockopt(fd, SOL_SOCKET, SO_RCVTIMEO, &patience, sizeof patience);
    EXPECT_EQ(connect(fd, reinterpret_cast<sockaddr*>(&address), addressLength), 0);
    return {fd, receive(fd)};
  }
  static std::optional<KeyServiceMessage> receive(int fd) {
    KeyServiceMessage::Bytes bytes{};
    if (recv(fd, bytes.data(), bytes.size(), MSG_WAITALL) != 4) return std::nullopt;
    return KeyServiceMessage::decode(bytes);
  }

  int stopFd = eventfd(0, EFD_CLOEXEC);
  int listenFd = socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
  sockaddr_un address{AF_UNIX, {}};
  socklen_t addressLength = sizeof address;
  keyservice::FixedSessionOwnerLookup owner{getuid()};
  std::atomic<int> liveTaps{0};
  std::atomic<bool> tapFails{false};
  keyservice::KeyService service{
      listenFd, stopFd, owner,
      [this](auto) { return tapFails ? nullptr : std::make_unique<CountedTap>(liveTaps); },
      [] { return true; }};
  std::thread thread;
};

}  // namespace

// What a served client is sent for its keys, and the keyboards given back
// when it dies, are checked against the kernel in tests/vm/keyservice.
TEST_F(KeyServiceTest, ServesTheOwnerOneClientAtATimeAndSaysWhenTheKeyboardsCannotBeTaken) {
  tapFails = true;
  const auto [tapless, answer] = connectClient();
  EXPECT_EQ(answer, KeyServiceMessage::accepted());
  EXPECT_EQ(receive(tapless), KeyServiceMessage::refused(Refusal::NoKeyboards));
  close(tapless);

  tapFails = false;
  const auto [client, accepted] = connectClient();
  ASSERT_EQ(accepted, KeyServiceMessage::accepted());
  const auto [second, refused] = connectClient();
  EXPECT_EQ(refused, KeyServiceMessage::refused(Refusal::Busy));
  close(second);

  close(client);
  for (int i = 0; i < 1000 && liveTaps.load() != 0; ++i) usleep(1000);
  EXPECT_EQ(liveTaps.load(), 0);
  const auto [next, acceptedAgain] = connectClient();
  EXPECT_EQ(acceptedAgain, KeyServiceMessage::accepted());
  close(next);
}

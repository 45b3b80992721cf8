#include <gtest/gtest.h>
#include <sys/eventfd.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

#include <atomic>
#include <thread>

#include "keyservice/FixedSessionOwnerLookup.h"
#include "keyservice/KeyService.h"

using platform::KeyServiceMessage;
namespace te = platform::tapevent;

namespace {

struct FakeTap : platform::InputTap {
  explicit FakeTap(std::atomic<int>& live) : live(live) { ++live; }
  ~FakeTap() override { --live; }
  void setEnabled(bool) override {}
  std::atomic<int>& live;
};

// A service on a socket pair's listening end, run on its own thread.
class KeyServiceTest : public testing::Test {
 protected:
  void start(uid_t owner) {
    owners_ = std::make_unique<keyservice::FixedSessionOwnerLookup>(owner);
    listenFd_ = socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_un address{AF_UNIX, {}};
    ASSERT_EQ(bind(listenFd_, reinterpret_cast<sockaddr*>(&address), sizeof(sa_family_t)), 0);
    ASSERT_EQ(listen(listenFd_, 4), 0);
    socklen_t length = sizeof address_;
    getsockname(listenFd_, reinterpret_cast<sockaddr*>(&address_), &length);
    addressLength_ = length;
    service_ = std::make_unique<keyservice::KeyService>(
        listenFd_, stopFd_, *owners_, [this](platform::InputTapService::Callback callback) {
          callback_ = std::move(callback);
          if (tapFails_) {
            return std::unique_ptr<FakeTap>();
          }
          return std::make_unique<FakeTap>(liveTaps_);
        });
    thread_ = std::thread([this] { service_->run(); });
  }
  void TearDown() override {
    const std::uint64_t one = 1;
    ASSERT_EQ(write(stopFd_, &one, sizeof one), 8);
    thread_.join();
    service_.reset();
    close(listenFd_);
    close(stopFd_);
  }
  int connectClient() {
    const int fd = socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
    EXPECT_EQ(connect(fd, reinterpret_cast<sockaddr*>(&address_), addressLength_), 0);
    return fd;
  }
  static std::optional<KeyServiceMessage> receive(int fd) {
    KeyServiceMessage::Bytes bytes{};
    if (recv(fd, bytes.data(), bytes.size(), MSG_WAITALL) != 4) {
      return std::nullopt;
    }
    return KeyServiceMessage::decode(bytes);
  }
  void waitForLiveTaps(int count) {
    for (int i = 0; i < 1000 && liveTaps_.load() != count; ++i) {
      usleep(1000);
    }
    EXPECT_EQ(liveTaps_.load(), count);
  }

  int stopFd_ = eventfd(0, EFD_CLOEXEC);
  int listenFd_ = -1;
  sockaddr_un address_{};
  socklen_t addressLength_ = 0;
  std::unique_ptr<keyservice::SessionOwnerLookup> owners_;
  std::atomic<int> liveTaps_{0};
  bool tapFails_ = false;
  platform::InputTapService::Callback callback_;
  std::unique_ptr<keyservice::KeyService> service_;
  std::thread thread_;
};

platform::TapEvent brightnessDown(std::uint64_t flags) {
  return {te::kSystemDefined, 0, flags, te::kSubtypeAuxControlButtons,
          te::specialKeyData(te::kSpecialKeyBrightnessDown, te::kSpecialKeyStateDown, false)};
}

}  // namespace

TEST_F(KeyServiceTest, OwnerGetsBrightnessPressesAndOneClientAtATime) {
  start(getuid());
  const int client = connectClient();
  ASSERT_EQ(receive(client), KeyServiceMessage::accepted());
  waitForLiveTaps(1);

  const int second = connectClient();
  EXPECT_EQ(receive(second), KeyServiceMessage::refused(KeyServiceMessage::Refusal::Busy));
  close(second);

  EXPECT_EQ(callback_(brightnessDown(te::kFlagShift | te::kFlagOption)),
            platform::TapVerdict::Delete);
  EXPECT_EQ(receive(client), KeyServiceMessage::press(false, true));

  close(client);
  waitForLiveTaps(0);
  const int next = connectClient();
  EXPECT_EQ(receive(next), KeyServiceMessage::accepted());
  close(next);
}

TEST_F(KeyServiceTest, TheOwnerIsToldWhenTheKeyboardsCannotBeTakenOver) {
  tapFails_ = true;
  start(getuid());
  const int client = connectClient();
  EXPECT_EQ(receive(client), KeyServiceMessage::accepted());
  EXPECT_EQ(receive(client), KeyServiceMessage::refused(KeyServiceMessage::Refusal::NoKeyboards));
  close(client);
}

#include "platform/KeyServiceTap.h"

#include <poll.h>
#include <sys/eventfd.h>
#include <unistd.h>

#include "platform/keyservice-protocol/KeyServiceMessage.h"

namespace platform {

namespace te = tapevent;

struct KeyServiceTap::Shared {
  int socketFd = -1;
  int wakeFd = -1;
  std::uint64_t eventMask = 0;
  InputTapService::Callback callback;
  std::atomic<bool> enabled{true};
  std::atomic<bool> stopRequested{false};
  std::shared_ptr<std::atomic<bool>> connected;

  ~Shared() {
    close(socketFd);
    close(wakeFd);
  }
};

namespace {

// A press as a system-defined brightness-key event with the modifier flags
// that make it fine-grained, so the program's classification rule reads it as
// it would read the keyboard's own event.
TapEvent pressEvent(const KeyServiceMessage& press) {
  TapEvent event;
  event.type = te::kSystemDefined;
  event.subtype = te::kSubtypeAuxControlButtons;
  event.flags = press.isFineGrained ? te::kFlagShift | te::kFlagOption : 0;
  event.data1 = te::specialKeyData(
      press.isUp ? te::kSpecialKeyBrightnessUp : te::kSpecialKeyBrightnessDown,
      te::kSpecialKeyStateDown, false);
  return event;
}

bool readMessage(int fd, KeyServiceMessage::Bytes& bytes) {
  std::size_t got = 0;
  while (got < bytes.size()) {
    const ssize_t n = read(fd, bytes.data() + got, bytes.size() - got);
    if (n <= 0) {
      return false;
    }
    got += static_cast<std::size_t>(n);
  }
  return true;
}

}  // namespace

KeyServiceTap::KeyServiceTap(int socketFd, std::uint64_t eventMask,
                             InputTapService::Callback callback)
    : shared_(std::make_shared<Shared>()), connected_(std::make_shared<std::atomic<bool>>(true)) {
  shared_->socketFd = socketFd;
  shared_->wakeFd = eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK);
  shared_->eventMask = eventMask;
  shared_->callback = std::move(callback);
  shared_->connected = connected_;
  thread_ = std::thread(serve, shared_);
}

KeyServiceTap::~KeyServiceTap() {
  shared_->stopRequested.store(true);
  const std::uint64_t one = 1;
  [[maybe_unused]] ssize_t written = write(shared_->wakeFd, &one, sizeof one);
  if (thread_.get_id() == std::this_thread::get_id()) {
    thread_.detach();
  } else {
    thread_.join();
  }
}

void KeyServiceTap::setEnabled(bool enabled) { shared_->enabled.store(enabled); }

void KeyServiceTap::serve(std::shared_ptr<Shared> shared) {
  const bool wanted = (shared->eventMask & te::maskBit(te::kSystemDefined)) != 0;
  while (!shared->stopRequested.load()) {
    pollfd fds[] = {{shared->wakeFd, POLLIN, 0}, {shared->socketFd, POLLIN, 0}};
    if (poll(fds, 2, -1) < 0 || fds[1].revents == 0) {
      continue;
    }
    KeyServiceMessage::Bytes bytes{};
    std::optional<KeyServiceMessage> message;
    if (readMessage(shared->socketFd, bytes)) {
      message = KeyServiceMessage::decode(bytes);
    }
    if (!message || message->kind != KeyServiceMessage::Kind::BrightnessPress) {
      break;  // Gone, or not speaking our protocol: either way no service.
    }
    if (wanted && shared->enabled.load()) {
      shared->callback(pressEvent(*message));
    }
  }
  shared->connected->store(false);
}

}  // namespace platform

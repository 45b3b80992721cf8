#include "platform/keyservice-client/KeyReportReader.h"

#include <poll.h>
#include <sys/eventfd.h>
#include <unistd.h>

#include "platform/keyservice-protocol/KeyServiceMessage.h"

namespace platform {

struct KeyReportReader::Shared {
  int socketFd = -1;
  int wakeFd = -1;
  KeyReportSource::Callback callback;
  std::atomic<bool> stopRequested{false};
  std::shared_ptr<std::atomic<bool>> connected;

  ~Shared() {
    close(socketFd);
    close(wakeFd);
  }
};

namespace {

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

KeyReportReader::KeyReportReader(int socketFd, KeyReportSource::Callback callback)
    : shared_(std::make_shared<Shared>()), connected_(std::make_shared<std::atomic<bool>>(true)) {
  shared_->socketFd = socketFd;
  shared_->wakeFd = eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK);
  shared_->callback = std::move(callback);
  shared_->connected = connected_;
  thread_ = std::thread(serve, shared_);
}

KeyReportReader::~KeyReportReader() {
  shared_->stopRequested.store(true);
  const std::uint64_t one = 1;
  [[maybe_unused]] ssize_t written = write(shared_->wakeFd, &one, sizeof one);
  if (thread_.get_id() == std::this_thread::get_id()) {
    thread_.detach();
  } else {
    thread_.join();
  }
}

void KeyReportReader::serve(std::shared_ptr<Shared> shared) {
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
    shared->callback(KeyReport{message->isUp, message->isFineGrained});
  }
  shared->connected->store(false);
}

}  // namespace platform

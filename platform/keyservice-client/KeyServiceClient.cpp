#include "platform/keyservice-client/KeyServiceClient.h"

#include <poll.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

#include <cstdlib>
#include <cstring>

#include "platform/keyservice-client/KeyReportReader.h"
#include "platform/keyservice-protocol/KeyServiceMessage.h"
#include "platform/keyservice-protocol/SocketAddress.h"

namespace platform {

namespace {

constexpr const char* kSocketPath = "/run/glimmerbox-keys.sock";
constexpr const char* kSocketPathVariable = "GLIMMERBOX_KEYS_SOCKET";
// The service answers at once; the wait only bounds a hung one, on the main
// thread.
constexpr int kAnswerTimeoutMs = 250;

int connectTo(const std::string& path) {
  const std::optional<sockaddr_un> address = socketAddress(path);
  if (!address) {
    return -1;
  }
  const int fd = socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
  if (fd >= 0 &&
      ::connect(fd, reinterpret_cast<const sockaddr*>(&*address), sizeof *address) == 0) {
    return fd;
  }
  if (fd >= 0) {
    close(fd);
  }
  return -1;
}

bool wasAccepted(int fd) {
  pollfd answer{fd, POLLIN, 0};
  KeyServiceMessage::Bytes bytes{};
  if (poll(&answer, 1, kAnswerTimeoutMs) != 1 ||
      recv(fd, bytes.data(), bytes.size(), MSG_WAITALL) != static_cast<ssize_t>(bytes.size())) {
    return false;
  }
  const std::optional<KeyServiceMessage> message = KeyServiceMessage::decode(bytes);
  return message && message->kind == KeyServiceMessage::Kind::Accepted;
}

}  // namespace

std::string KeyServiceClient::socketPath() {
  const char* chosen = std::getenv(kSocketPathVariable);
  return chosen != nullptr && *chosen != '\0' ? chosen : kSocketPath;
}

KeyServiceClient::KeyServiceClient(std::string socketPath) : socketPath_(std::move(socketPath)) {}

KeyServiceClient::~KeyServiceClient() {
  if (acceptedFd_ >= 0) {
    close(acceptedFd_);
  }
}

// A lost connection reads as lost once, even when the service is back
// already, so the interceptor drops the subscription to the dead one.
bool KeyServiceClient::isConnected(bool prompt) {
  bool connected = false;
  if (readerConnected_) {
    connected = readerConnected_->load();
    if (!connected) {
      readerConnected_.reset();
    }
  } else {
    connected = connect();
  }
  if (!connected && prompt) {
    prompt_.show();
  }
  return connected;
}

bool KeyServiceClient::connect() {
  if (acceptedFd_ >= 0) {
    return true;
  }
  const int fd = connectTo(socketPath_);
  if (fd >= 0 && wasAccepted(fd)) {
    acceptedFd_ = fd;
    return true;
  }
  if (fd >= 0) {
    close(fd);
  }
  return false;
}

std::unique_ptr<KeyReportSource::Subscription> KeyServiceClient::subscribe(Callback callback) {
  if (!connect()) {
    return nullptr;
  }
  auto reader = std::make_unique<KeyReportReader>(acceptedFd_, std::move(callback));
  acceptedFd_ = -1;
  readerConnected_ = reader->connected();
  return reader;
}

}  // namespace platform

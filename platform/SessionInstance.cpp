#include "platform/SessionInstance.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QLocalServer>
#include <QLocalSocket>
#include <QStandardPaths>
#include <chrono>
#include <thread>

namespace platform {
namespace {

// A second start can race the first one's start: it may find the lock held
// before the first listens.
constexpr auto kAnswerPatience = std::chrono::seconds(3);
constexpr int kConnectTimeoutMs = 500;
// A hung instance still accepts: the kernel queues the connection. An older
// one closes without a word.
constexpr auto kReplyPatience = std::chrono::seconds(3);
constexpr qint64 kLongestReply = 32;

std::string runtimeFolder() {
  const char* runtime = std::getenv("XDG_RUNTIME_DIR");
  const std::string base =
      runtime != nullptr && *runtime != '\0'
          ? std::string(runtime)
          : QStandardPaths::writableLocation(QStandardPaths::RuntimeLocation).toStdString();
  return base + "/glimmerbox";
}

SessionInstance::Claim askToOpenPopover(const std::string& socketPath) {
  QLocalSocket socket;
  socket.connectToServer(QString::fromStdString(socketPath));
  if (!socket.waitForConnected(kConnectTimeoutMs)) {
    return SessionInstance::Claim::unreachable;
  }
  socket.write("open\n");
  socket.waitForBytesWritten(kConnectTimeoutMs);
  const auto deadline = std::chrono::steady_clock::now() + kReplyPatience;
  while (!socket.canReadLine()) {
    const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
        deadline - std::chrono::steady_clock::now());
    if (left.count() <= 0 || !socket.waitForReadyRead(static_cast<int>(left.count()))) {
      return SessionInstance::Claim::unanswered;
    }
  }
  return socket.readLine(kLongestReply).trimmed() == "opened" ? SessionInstance::Claim::handedOver
                                                              : SessionInstance::Claim::notOpened;
}

}  // namespace

struct SessionInstance::Listener {
  QLocalServer server;
};

SessionInstance::SessionInstance(std::function<bool()> onLaterStart)
    : onLaterStart_(std::move(onLaterStart)), folder_(runtimeFolder()) {}

SessionInstance::~SessionInstance() {
  if (lockFd_ >= 0) {
    ::close(lockFd_);
  }
}

std::string SessionInstance::folder() const { return folder_; }

SessionInstance::Claim SessionInstance::claim() {
  ::mkdir(folder_.c_str(), 0700);
  const std::string lockPath = folder_ + "/instance.lock";
  const std::string socketPath = folder_ + "/instance.socket";
  lockFd_ = ::open(lockPath.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0600);
  if (lockFd_ < 0) {
    return Claim::first;  // Without a runtime folder, one instance cannot be kept; run anyway.
  }
  if (::flock(lockFd_, LOCK_EX | LOCK_NB) == 0) {
    listen(socketPath);
    return Claim::first;
  }
  const auto deadline = std::chrono::steady_clock::now() + kAnswerPatience;
  Claim claim = askToOpenPopover(socketPath);
  while (claim == Claim::unreachable && std::chrono::steady_clock::now() < deadline) {
    std::this_thread::sleep_for(std::chrono::milliseconds(100));
    claim = askToOpenPopover(socketPath);
  }
  return claim;
}

void SessionInstance::listen(const std::string& socketPath) {
  listener_ = std::make_unique<Listener>();
  QLocalServer& server = listener_->server;
  server.setSocketOptions(QLocalServer::UserAccessOption);
  const QString path = QString::fromStdString(socketPath);
  QLocalServer::removeServer(path);  // Left behind by a killed instance.
  server.listen(path);
  QObject::connect(&server, &QLocalServer::newConnection, [this, &server] {
    // Connecting is the whole request; the answer is one line.
    while (QLocalSocket* socket = server.nextPendingConnection()) {
      QObject::connect(socket, &QLocalSocket::disconnected, socket, &QObject::deleteLater);
      socket->write(onLaterStart_() ? "opened\n" : "not-opened\n");
      socket->disconnectFromServer();  // Once the answer is out.
      if (socket->state() == QLocalSocket::UnconnectedState) {
        socket->deleteLater();
      }
    }
  });
}

}  // namespace platform

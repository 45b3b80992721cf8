#include "platform/session/SessionInstance.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QLocalServer>
#include <QLocalSocket>
#include <QPointer>
#include <QStandardPaths>
#include <QTimer>
#include <chrono>
#include <thread>
#include <vector>

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
// A request is a short line; a connection that sends none in this time is dropped.
constexpr int kRequestPatienceMs = 3000;
constexpr qint64 kLongestRequest = 64;

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
  std::vector<QPointer<QLocalSocket>> followers;
};

SessionInstance::SessionInstance(std::function<bool()> onLaterStart,
                                 std::function<Answer(const std::string& request)> onRequest)
    : onLaterStart_(std::move(onLaterStart)),
      onRequest_(std::move(onRequest)),
      folder_(runtimeFolder()) {}

SessionInstance::~SessionInstance() {
  if (lockFd_ >= 0) {
    ::close(lockFd_);
  }
}

std::string SessionInstance::folder() const { return folder_; }

std::string SessionInstance::socketPath() { return runtimeFolder() + "/instance.socket"; }

SessionInstance::Claim SessionInstance::claim() {
  ::mkdir(folder_.c_str(), 0700);
  const std::string lockPath = folder_ + "/instance.lock";
  lockFd_ = ::open(lockPath.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0600);
  if (lockFd_ < 0) {
    return Claim::first;  // Without a runtime folder, one instance cannot be kept; run anyway.
  }
  if (::flock(lockFd_, LOCK_EX | LOCK_NB) == 0) {
    listen(socketPath());
    return Claim::first;
  }
  const auto deadline = std::chrono::steady_clock::now() + kAnswerPatience;
  Claim claim = askToOpenPopover(socketPath());
  while (claim == Claim::unreachable && std::chrono::steady_clock::now() < deadline) {
    std::this_thread::sleep_for(std::chrono::milliseconds(100));
    claim = askToOpenPopover(socketPath());
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
    while (QLocalSocket* socket = server.nextPendingConnection()) {
      QObject::connect(socket, &QLocalSocket::disconnected, socket, &QObject::deleteLater);
      QObject::connect(socket, &QLocalSocket::readyRead, socket,
                       [this, socket] { answer(socket); });
      QTimer::singleShot(kRequestPatienceMs, socket, [socket] {
        if (!socket->property("answered").toBool()) {
          socket->abort();
          socket->deleteLater();
        }
      });
    }
  });
}

void SessionInstance::answer(QLocalSocket* socket) {
  if (socket->property("answered").toBool() || !socket->canReadLine()) {
    return;
  }
  socket->setProperty("answered", true);
  const std::string request = socket->readLine(kLongestRequest).trimmed().toStdString();
  Answer answer;
  if (request == "open") {
    answer.line = onLaterStart_() ? "opened" : "not-opened";
  } else {
    answer = onRequest_(request);
  }
  socket->write((answer.line + "\n").c_str());
  if (answer.follow) {
    listener_->followers.emplace_back(socket);
    return;
  }
  socket->disconnectFromServer();  // Once the answer is out.
  if (socket->state() == QLocalSocket::UnconnectedState) {
    socket->deleteLater();
  }
}

void SessionInstance::tellFollowers(const std::string& line) {
  if (!listener_) {
    return;
  }
  auto& followers = listener_->followers;
  std::erase_if(followers, [](const QPointer<QLocalSocket>& socket) {
    return socket.isNull() || socket->state() != QLocalSocket::ConnectedState;
  });
  for (const QPointer<QLocalSocket>& socket : followers) {
    socket->write((line + "\n").c_str());
  }
}

}  // namespace platform

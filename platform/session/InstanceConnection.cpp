#include "platform/session/InstanceConnection.h"

#include <poll.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

namespace platform {
namespace {

// A line from the program is a short answer; anything longer is not one.
constexpr std::size_t kLongestLine = 64;

bool waitReadable(int fd, std::chrono::milliseconds patience,
                  std::chrono::steady_clock::time_point deadline) {
  for (;;) {
    const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
        deadline - std::chrono::steady_clock::now());
    if (patience.count() >= 0 && left.count() <= 0) {
      return false;
    }
    pollfd readable{.fd = fd, .events = POLLIN, .revents = 0};
    const int waited =
        ::poll(&readable, 1, patience.count() < 0 ? -1 : static_cast<int>(left.count()));
    if (waited >= 0 || errno != EINTR) {
      return waited > 0;
    }
  }
}

}  // namespace

InstanceConnection::InstanceConnection(const std::string& path) {
  sockaddr_un address{};
  address.sun_family = AF_UNIX;
  if (path.size() >= sizeof(address.sun_path)) {
    return;
  }
  std::memcpy(address.sun_path, path.c_str(), path.size() + 1);
  fd_ = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
  if (fd_ >= 0 && ::connect(fd_, reinterpret_cast<sockaddr*>(&address), sizeof(address)) != 0) {
    ::close(fd_);
    fd_ = -1;
  }
}

InstanceConnection::~InstanceConnection() {
  if (fd_ >= 0) {
    ::close(fd_);
  }
}

bool InstanceConnection::writeLine(const std::string& line) {
  const std::string text = line + "\n";
  // MSG_NOSIGNAL: a program that went away is an answer, not a reason to die.
  return ::send(fd_, text.data(), text.size(), MSG_NOSIGNAL) == static_cast<ssize_t>(text.size());
}

std::optional<std::string> InstanceConnection::readLine(std::chrono::milliseconds patience) {
  const auto deadline = std::chrono::steady_clock::now() + patience;
  std::size_t end;
  while ((end = pending_.find('\n')) == std::string::npos) {
    if (pending_.size() > kLongestLine || !waitReadable(fd_, patience, deadline)) {
      return std::nullopt;
    }
    char buffer[kLongestLine];
    const ssize_t got = ::read(fd_, buffer, sizeof(buffer));
    if (got <= 0) {
      return std::nullopt;
    }
    pending_.append(buffer, static_cast<std::size_t>(got));
  }
  std::string line = pending_.substr(0, end);
  pending_.erase(0, end + 1);
  return line;
}

}  // namespace platform

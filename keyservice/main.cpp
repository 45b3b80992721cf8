// glimmerbox-keys: the one process that reads the keyboards and writes
// uinput; it hands the user's tray program only the brightness presses.
//
//   glimmerbox-keys                         under systemd socket activation
//   glimmerbox-keys --socket PATH --allow-uid UID
//                                           by hand, where logind is absent

#include <sys/signalfd.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <systemd/sd-daemon.h>
#include <unistd.h>

#include <csignal>
#include <cstdio>
#include <cstring>
#include <memory>
#include <optional>
#include <string>

#include "keyservice/FixedSessionOwnerLookup.h"
#include "keyservice/KeyService.h"
#include "keyservice/KeyboardAccess.h"
#include "keyservice/LoginSessionOwnerLookup.h"
#include "platform/input/EvdevInputDeviceSource.h"
#include "platform/input/LinuxInputTap.h"
#include "platform/keyservice-protocol/SocketAddress.h"

namespace {

constexpr int kListenBacklog = 4;
// The socket's rights: anyone may connect, the peer check decides.
constexpr mode_t kSocketMode = 0666;

int listenOn(const std::string& path) {
  const std::optional<sockaddr_un> address = platform::socketAddress(path);
  if (!address) {
    return -1;
  }
  const int fd = socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
  unlink(path.c_str());
  if (fd < 0 || bind(fd, reinterpret_cast<const sockaddr*>(&*address), sizeof *address) < 0 ||
      chmod(path.c_str(), kSocketMode) < 0 || listen(fd, kListenBacklog) < 0) {
    return -1;
  }
  return fd;
}

int stopSignalsFd() {
  sigset_t signals;
  sigemptyset(&signals);
  sigaddset(&signals, SIGTERM);
  sigaddset(&signals, SIGINT);
  sigprocmask(SIG_BLOCK, &signals, nullptr);
  return signalfd(-1, &signals, SFD_CLOEXEC);
}

std::unique_ptr<platform::InputTap> makeTap(platform::InputTap::Callback callback) {
  return platform::LinuxInputTap::create(std::make_unique<platform::EvdevInputDeviceSource>(),
                                         std::move(callback));
}

}  // namespace

int main(int argc, char** argv) {
  std::unique_ptr<keyservice::SessionOwnerLookup> owners;
  int listenFd = -1;
  if (argc == 5 && std::strcmp(argv[1], "--socket") == 0 &&
      std::strcmp(argv[3], "--allow-uid") == 0) {
    listenFd = listenOn(argv[2]);
    owners = std::make_unique<keyservice::FixedSessionOwnerLookup>(std::stoul(argv[4]));
  } else if (argc == 1 && sd_listen_fds(1) == 1) {
    listenFd = SD_LISTEN_FDS_START;
    owners = std::make_unique<keyservice::LoginSessionOwnerLookup>();
  } else {
    std::fprintf(stderr, "usage: %s [--socket PATH --allow-uid UID]\n", argv[0]);
    return 2;
  }
  const int stopFd = stopSignalsFd();
  if (listenFd < 0 || stopFd < 0) {
    std::perror("[glimmerbox-keys] Cannot listen");
    return 1;
  }
  std::fprintf(stderr, "[glimmerbox-keys] Listening\n");
  keyservice::KeyboardAccess access;
  const auto keyboardsOpen = [&access] { return access.anyOpens(); };
  keyservice::KeyService(listenFd, stopFd, *owners, makeTap, keyboardsOpen).run();
  return 0;
}

#include "keyservice/KeyService.h"

#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cstdio>
#include <iterator>
#include <optional>

#include "keyservice/PeerRule.h"
#include "platform/keyservice-protocol/KeyServiceMessage.h"

namespace keyservice {

using platform::KeyServiceMessage;

namespace {

bool sendMessage(int fd, const KeyServiceMessage& message) {
  const KeyServiceMessage::Bytes bytes = message.encode();
  return send(fd, bytes.data(), bytes.size(), MSG_NOSIGNAL | MSG_DONTWAIT) ==
         static_cast<ssize_t>(bytes.size());
}

const char* reasonText(KeyServiceMessage::Refusal why) {
  switch (why) {
    case KeyServiceMessage::Refusal::Busy:
      return "another client is connected";
    case KeyServiceMessage::Refusal::NoKeyboards:
      return "cannot take over the keyboards";
    default:
      return "not the owner of the active session";
  }
}

}  // namespace

KeyService::KeyService(int listenFd, int stopFd, SessionOwnerLookup& owners, TapFactory makeTap,
                       std::function<bool()> keyboardsOpen)
    : listenFd_(listenFd),
      stopFd_(stopFd),
      owners_(owners),
      makeTap_(std::move(makeTap)),
      keyboardsOpen_(std::move(keyboardsOpen)) {}

KeyService::~KeyService() { dropClient(); }

// Negative descriptors (no client, owner changes not followed) are left
// out of the poll.
void KeyService::run() {
  for (;;) {
    pollfd fds[] = {{stopFd_, POLLIN, 0},
                    {owners_.changesFd(), POLLIN, 0},
                    {listenFd_, POLLIN, 0},
                    {clientFd_, POLLIN, 0}};
    if (poll(fds, std::size(fds), -1) < 0) {
      continue;
    }
    if (fds[0].revents != 0) {
      return;
    }
    if (fds[1].revents != 0) {
      owners_.takeChanges();
      followActiveSession();
    }
    if (clientFd_ >= 0 && fds[3].revents != 0) {
      // A client sends nothing: anything readable is its end of the stream.
      std::fprintf(stderr, "[glimmerbox-keys] Client left; keyboards given back\n");
      dropClient();
    }
    if (fds[2].revents != 0) {
      admit();
    }
  }
}

// The keys belong to the user at the screen: a client whose user's session
// is no longer the active one loses them at once.
void KeyService::followActiveSession() {
  const std::optional<uid_t> owner = owners_.activeOwner();
  if (clientFd_ < 0 || owner == clientUid_) {
    return;
  }
  if (owner) {
    std::fprintf(stderr, "[glimmerbox-keys] Uid %u's session is active; uid %u dropped\n",
                 static_cast<unsigned>(*owner), static_cast<unsigned>(clientUid_));
  } else {
    std::fprintf(stderr, "[glimmerbox-keys] No session is active; uid %u dropped\n",
                 static_cast<unsigned>(clientUid_));
  }
  dropClient();
}

void KeyService::admit() {
  const int fd = accept4(listenFd_, nullptr, nullptr, SOCK_CLOEXEC);
  if (fd < 0) {
    return;
  }
  ucred peer{};
  socklen_t length = sizeof peer;
  if (getsockopt(fd, SOL_SOCKET, SO_PEERCRED, &peer, &length) < 0) {
    close(fd);
    return;
  }
  const std::optional<uid_t> served =
      clientFd_ >= 0 ? std::optional<uid_t>(clientUid_) : std::nullopt;
  const KeyServiceMessage::Refusal why = judgePeer(peer.uid, owners_.activeOwner(), served);
  if (why != KeyServiceMessage::Refusal::None) {
    refuse(fd, peer.uid, why);
    return;
  }
  serve(fd, peer.uid, served);
}

// `served` is the stale client's user, if one is connected.
void KeyService::serve(int fd, uid_t uid, std::optional<uid_t> served) {
  // Refused outright, so the client's banner stays; a tap that fails later
  // (no uinput, say) is told after the answer.
  if (!keyboardsOpen_()) {
    refuse(fd, uid, KeyServiceMessage::Refusal::NoKeyboards);
    return;
  }
  // Answered before the tap is made: making it can outlast the client's
  // wait for an answer, and a client that gave up would retry for ever.
  if (!sendMessage(fd, KeyServiceMessage::accepted())) {
    std::fprintf(stderr, "[glimmerbox-keys] Uid %u left before it was served\n",
                 static_cast<unsigned>(uid));
    close(fd);
    return;
  }
  if (served) {
    // Its session's change went unnoticed (no monitor) or is yet to be read.
    std::fprintf(stderr, "[glimmerbox-keys] Uid %u replaces uid %u, whose session is inactive\n",
                 static_cast<unsigned>(uid), static_cast<unsigned>(*served));
    dropClient();
  }
  // Set before the tap exists: its thread reads it.
  clientFd_ = fd;
  clientUid_ = uid;
  tap_ = makeTap_([this](const platform::KeyReport& press) { onPress(press); });
  if (!tap_) {
    clientFd_ = -1;
    refuse(fd, uid, KeyServiceMessage::Refusal::NoKeyboards);
    return;
  }
  toldRefusals_.clear();
  std::fprintf(stderr, "[glimmerbox-keys] Serving uid %u\n", static_cast<unsigned>(uid));
}

// A refused program asks again every second (a user switched away from, say):
// each refusal is logged once until a client is served or let go.
bool KeyService::refuse(int fd, uid_t uid, KeyServiceMessage::Refusal why) {
  if (toldRefusals_.insert({uid, why}).second) {
    std::fprintf(stderr, "[glimmerbox-keys] Refused uid %u: %s\n", static_cast<unsigned>(uid),
                 reasonText(why));
  }
  const bool told = sendMessage(fd, KeyServiceMessage::refused(why));
  close(fd);
  return told;
}

// The tap goes first: its thread writes to the client's socket.
void KeyService::dropClient() {
  tap_.reset();
  toldRefusals_.clear();
  if (clientFd_ >= 0) {
    close(clientFd_);
    clientFd_ = -1;
  }
}

// On the tap's input thread.
void KeyService::onPress(const platform::KeyReport& press) {
  sendMessage(clientFd_, KeyServiceMessage::press(press.isUp, press.isFineGrained));
}

}  // namespace keyservice

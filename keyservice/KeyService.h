#pragma once

#include <functional>
#include <memory>
#include <optional>
#include <set>
#include <utility>

#include "keyservice/SessionOwnerLookup.h"
#include "platform/input/InputTap.h"
#include "platform/keyservice-protocol/KeyServiceMessage.h"

namespace keyservice {

// Serves one client at a time on a listening Unix stream socket. Only while a
// client is connected does it hold a tap on the keyboards; the tap takes the
// brightness keys and the client hears of their presses, nothing else. The
// client goes as soon as its user's session stops being the active one.
class KeyService {
 public:
  using TapFactory =
      std::function<std::unique_ptr<platform::InputTap>(platform::InputTap::Callback)>;

  // `keyboardsOpen` tells whether a tap could take any keyboard now.
  KeyService(int listenFd, int stopFd, SessionOwnerLookup& owners, TapFactory makeTap,
             std::function<bool()> keyboardsOpen);
  ~KeyService();
  KeyService(const KeyService&) = delete;
  KeyService& operator=(const KeyService&) = delete;

  // Until `stopFd` turns readable.
  void run();

 private:
  void admit();
  void serve(int fd, uid_t uid, std::optional<uid_t> served);
  void followActiveSession();
  void dropClient();
  bool refuse(int fd, uid_t uid, platform::KeyServiceMessage::Refusal why);
  void onPress(const platform::KeyReport& press);

  const int listenFd_;
  const int stopFd_;
  SessionOwnerLookup& owners_;
  const TapFactory makeTap_;
  const std::function<bool()> keyboardsOpen_;
  int clientFd_ = -1;
  uid_t clientUid_ = 0;
  std::unique_ptr<platform::InputTap> tap_;
  std::set<std::pair<uid_t, platform::KeyServiceMessage::Refusal>> toldRefusals_;
};

}  // namespace keyservice

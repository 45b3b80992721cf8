#pragma once

#include <functional>
#include <memory>

#include "keyservice/SessionOwnerLookup.h"
#include "platform/InputTap.h"
#include "platform/KeyServiceMessage.h"

namespace keyservice {

// Serves one client at a time on a listening Unix stream socket. Only while a
// client is connected does it hold a tap on the keyboards; the tap deletes the
// brightness keys and the client hears of their presses, nothing else.
class KeyService {
 public:
  using TapFactory =
      std::function<std::unique_ptr<platform::InputTap>(platform::InputTapService::Callback)>;

  KeyService(int listenFd, int stopFd, SessionOwnerLookup& owners, TapFactory makeTap);
  ~KeyService();
  KeyService(const KeyService&) = delete;
  KeyService& operator=(const KeyService&) = delete;

  // Until `stopFd` turns readable.
  void run();

 private:
  void admit();
  void dropClient();
  bool refuse(int fd, uid_t uid, platform::KeyServiceMessage::Refusal why);
  platform::TapVerdict onKey(const platform::TapEvent& event);

  const int listenFd_;
  const int stopFd_;
  SessionOwnerLookup& owners_;
  const TapFactory makeTap_;
  int clientFd_ = -1;
  std::unique_ptr<platform::InputTap> tap_;
};

}  // namespace keyservice

#pragma once

#include <functional>
#include <memory>
#include <string>

namespace platform {

// Keeps Glimmerbox to one instance per user: the first start holds a lock in
// the user's runtime folder and listens beside it; a later start asks that
// one to open its popover, waits a little for its one-line answer ("opened"
// or "not-opened") and ends. The kernel drops the lock with the process, so
// a killed instance never blocks the next start.
class SessionInstance {
 public:
  enum class Claim {
    first,        // This process is the instance.
    handedOver,   // Another instance runs and opened its popover.
    notOpened,    // Another instance runs and could not open its popover.
    unanswered,   // Another instance took the request but gave no answer.
    unreachable,  // Another instance holds the lock but takes no request.
  };

  // `onLaterStart` runs on the main loop each time another start hands over
  // and says whether the popover is open. Needs the application object.
  explicit SessionInstance(std::function<bool()> onLaterStart);
  ~SessionInstance();

  Claim claim();
  // Where the lock and the socket live, for messages.
  std::string folder() const;

 private:
  struct Listener;
  void listen(const std::string& socketPath);

  std::function<bool()> onLaterStart_;
  std::string folder_;
  int lockFd_ = -1;
  std::unique_ptr<Listener> listener_;
};

}  // namespace platform

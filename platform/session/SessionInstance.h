#pragma once

#include <functional>
#include <memory>
#include <string>

class QLocalSocket;

namespace platform {

// Keeps Glimmerbox to one instance per user: the first start holds a lock in
// the user's runtime folder and listens beside it; a later start asks that
// one to open its popover ("open"), waits a little for its one-line answer
// ("opened" or "not-opened") and ends. The kernel drops the lock with the
// process, so a killed instance never blocks the next start.
//
// The command line asks other things on the same socket, one line each; the
// program answers each with one line, and a follower stays connected for a
// line on every change.
class SessionInstance {
 public:
  enum class Claim {
    first,        // This process is the instance.
    handedOver,   // Another instance runs and opened its popover.
    notOpened,    // Another instance runs and could not open its popover.
    unanswered,   // Another instance took the request but gave no answer.
    unreachable,  // Another instance holds the lock but takes no request.
  };

  // The answer to a request other than "open"; `follow` keeps the
  // connection for `tellFollowers`.
  struct Answer {
    std::string line;
    bool follow = false;
  };

  // `onLaterStart` runs on the main loop each time another start hands over
  // and says whether the popover is open; `onRequest` answers every other
  // request. Needs the application object.
  SessionInstance(std::function<bool()> onLaterStart,
                  std::function<Answer(const std::string& request)> onRequest);
  ~SessionInstance();

  Claim claim();
  // Where the lock and the socket live, for messages.
  std::string folder() const;
  // The socket a running instance listens on, for the command line.
  static std::string socketPath();

  // Sends `line` to every connection that asked to follow.
  void tellFollowers(const std::string& line);

 private:
  struct Listener;
  void listen(const std::string& socketPath);
  void answer(QLocalSocket* socket);

  std::function<bool()> onLaterStart_;
  std::function<Answer(const std::string& request)> onRequest_;
  std::string folder_;
  int lockFd_ = -1;
  std::unique_ptr<Listener> listener_;
};

}  // namespace platform

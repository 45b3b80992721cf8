#pragma once

#include <functional>
#include <memory>

#include "platform/keyservice-protocol/KeyReport.h"

namespace platform {

// Where the program hears of brightness-key presses: the key service, once it
// has accepted this process as its client. Main thread only.
class KeyReportSource {
 public:
  // Runs on the source's own thread, one press at a time in order.
  using Callback = std::function<void(const KeyReport&)>;

  // Reports flow to its callback while it exists; destroying it waits for a
  // callback under way, unless called from within one.
  class Subscription {
   public:
    virtual ~Subscription() = default;
  };

  virtual ~KeyReportSource() = default;
  // Whether the service has this process as its client, trying to connect
  // when it has not. With `prompt`, a process left unserved also tells the
  // user how to set the service up; the answer is the same either way.
  virtual bool isConnected(bool prompt) = 0;
  // Null while not connected.
  virtual std::unique_ptr<Subscription> subscribe(Callback callback) = 0;
};

}  // namespace platform

#pragma once

#include <atomic>
#include <memory>
#include <thread>

#include "platform/input/InputTap.h"

namespace platform {

// A tap whose events come from the key service over its socket: the service
// has already taken the brightness keys out of the keyboards' streams, so the
// callback's verdict changes nothing. Its thread ends when the service goes.
class KeyServiceTap : public InputTap {
 public:
  // Takes ownership of `socketFd`, a connection the service accepted.
  KeyServiceTap(int socketFd, std::uint64_t eventMask, InputTapService::Callback callback);
  ~KeyServiceTap() override;
  KeyServiceTap(const KeyServiceTap&) = delete;
  KeyServiceTap& operator=(const KeyServiceTap&) = delete;

  void setEnabled(bool enabled) override;
  // False once the service closed the connection.
  std::shared_ptr<const std::atomic<bool>> connected() const { return connected_; }

 private:
  struct Shared;
  static void serve(std::shared_ptr<Shared> shared);

  std::shared_ptr<Shared> shared_;
  std::shared_ptr<std::atomic<bool>> connected_;
  std::thread thread_;
};

}  // namespace platform

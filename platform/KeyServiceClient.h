#pragma once

#include <atomic>
#include <memory>
#include <string>

#include "platform/DesktopNotificationPrompt.h"
#include "platform/InputAccessQuery.h"
#include "platform/input/InputTap.h"

namespace platform {

// The program's side of the key service: trusted while the service has
// accepted this process, and taps that listen to it. Main thread only.
class KeyServiceClient : public InputTapService, public InputAccessQuery {
 public:
  // The service's socket; GLIMMERBOX_KEYS_SOCKET names another, for tests.
  static std::string socketPath();

  explicit KeyServiceClient(std::string socketPath);
  ~KeyServiceClient() override;
  KeyServiceClient(const KeyServiceClient&) = delete;
  KeyServiceClient& operator=(const KeyServiceClient&) = delete;

  bool isProcessTrusted(bool prompt) override;
  std::unique_ptr<InputTap> createTap(std::uint64_t eventMask, Callback callback) override;

 private:
  bool connect();

  const std::string socketPath_;
  DesktopNotificationPrompt prompt_;
  int acceptedFd_ = -1;
  std::shared_ptr<const std::atomic<bool>> tapConnected_;
};

}  // namespace platform

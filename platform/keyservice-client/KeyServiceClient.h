#pragma once

#include <atomic>
#include <memory>
#include <string>

#include "platform/desktop/DesktopNotificationPrompt.h"
#include "platform/keyservice-client/KeyReportSource.h"

namespace platform {

// The program's side of the key service: connected while the service has
// accepted this process, and the reader of its reports. Main thread only.
class KeyServiceClient : public KeyReportSource {
 public:
  // The service's socket; GLIMMERBOX_KEYS_SOCKET names another, for tests.
  static std::string socketPath();

  explicit KeyServiceClient(std::string socketPath);
  ~KeyServiceClient() override;
  KeyServiceClient(const KeyServiceClient&) = delete;
  KeyServiceClient& operator=(const KeyServiceClient&) = delete;

  bool isConnected(bool prompt) override;
  std::unique_ptr<Subscription> subscribe(Callback callback) override;

 private:
  bool connect();

  const std::string socketPath_;
  DesktopNotificationPrompt prompt_;
  int acceptedFd_ = -1;
  std::shared_ptr<const std::atomic<bool>> readerConnected_;
};

}  // namespace platform

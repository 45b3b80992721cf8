#pragma once

#include <atomic>
#include <memory>
#include <thread>

#include "platform/keyservice-client/KeyReportSource.h"

namespace platform {

// Reads the key service's press reports from an accepted connection on its
// own thread and hands each to the callback. Its thread ends when the service
// goes.
class KeyReportReader : public KeyReportSource::Subscription {
 public:
  // Takes ownership of `socketFd`, a connection the service accepted.
  KeyReportReader(int socketFd, KeyReportSource::Callback callback);
  ~KeyReportReader() override;
  KeyReportReader(const KeyReportReader&) = delete;
  KeyReportReader& operator=(const KeyReportReader&) = delete;

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

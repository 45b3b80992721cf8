#include "tests/vm/support/EventRecorder.h"

#include <fcntl.h>
#include <linux/input.h>
#include <poll.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <stdexcept>

namespace vmtest {

EventRecorder::EventRecorder(const std::string& path)
    : fd_(open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC)) {
  if (fd_ < 0) {
    throw std::runtime_error("cannot open " + path);
  }
  reader_ = std::thread([this] { record(); });
  while (!waiting_.load()) {
    std::this_thread::yield();
  }
}

EventRecorder::~EventRecorder() {
  if (reader_.joinable()) {
    reader_.join();
  }
  close(fd_);
}

std::vector<Event> EventRecorder::eventsUntilGone() {
  reader_.join();
  return events_;
}

void EventRecorder::record() {
  const auto deadline = std::chrono::steady_clock::now() + kPatience;
  input_event raw[64];
  for (;;) {
    pollfd ready{fd_, POLLIN, 0};
    waiting_.store(true);
    poll(&ready, 1, static_cast<int>(std::chrono::milliseconds(kPatience).count()));
    ssize_t bytes = 0;
    while ((bytes = read(fd_, raw, sizeof raw)) > 0) {
      for (ssize_t i = 0; i < bytes / static_cast<ssize_t>(sizeof(input_event)); ++i) {
        events_.push_back({raw[i].type, raw[i].code, raw[i].value});
      }
    }
    if ((bytes < 0 && errno != EAGAIN) || std::chrono::steady_clock::now() > deadline) {
      return;
    }
  }
}

}  // namespace vmtest

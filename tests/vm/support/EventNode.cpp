#include "tests/vm/support/EventNode.h"

#include <fcntl.h>
#include <linux/input.h>
#include <poll.h>
#include <unistd.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <stdexcept>
#include <thread>
#include <utility>

namespace vmtest {
namespace {

std::optional<std::string> findDevice(const std::string& name) {
  for (const auto& entry : std::filesystem::directory_iterator("/sys/class/input")) {
    const std::string node = entry.path().filename();
    std::string deviceName;
    std::getline(std::ifstream(entry.path() / "device" / "name"), deviceName);
    if (node.starts_with("event") && deviceName == name) return "/dev/input/" + node;
  }
  return std::nullopt;
}

}  // namespace

EventNode::EventNode(const std::string& path)
    : fd_(open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC)) {
  if (fd_ < 0) throw std::runtime_error("cannot open " + path);
}

EventNode::~EventNode() { close(fd_); }

std::optional<std::string> EventNode::waitForDevice(const std::string& name) {
  const auto deadline = std::chrono::steady_clock::now() + kPatience;
  for (;;) {
    std::optional<std::string> path = findDevice(name);
    // devtmpfs creates the node just after the sysfs entry appears.
    if (path && std::filesystem::exists(*path)) return path;
    if (std::chrono::steady_clock::now() > deadline) return std::nullopt;
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  }
}

bool EventNode::deviceExists(const std::string& name) { return findDevice(name).has_value(); }

std::vector<Event> EventNode::readUpTo(const Event& last) {
  const auto deadline = std::chrono::steady_clock::now() + kPatience;
  for (;;) {
    readAvailable();
    auto position = std::find(pending_.begin(), pending_.end(), last);
    if (position != pending_.end()) {
      std::vector<Event> before(pending_.begin(), position);
      pending_.erase(pending_.begin(), position + 1);
      return before;
    }
    const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
        deadline - std::chrono::steady_clock::now());
    pollfd ready{fd_, POLLIN, 0};
    if (left.count() <= 0 || poll(&ready, 1, static_cast<int>(left.count())) != 1) {
      throw std::runtime_error("the expected event never arrived");
    }
  }
}

std::vector<Event> EventNode::drain() {
  readAvailable();
  return std::exchange(pending_, {});
}

void EventNode::readAvailable() {
  input_event raw[64];
  ssize_t bytes;
  while ((bytes = read(fd_, raw, sizeof raw)) > 0) {
    for (ssize_t i = 0; i < bytes / static_cast<ssize_t>(sizeof(input_event)); ++i) {
      pending_.push_back({raw[i].type, raw[i].code, raw[i].value});
    }
  }
}

std::vector<Event> keyEventsOf(const std::vector<Event>& events) {
  std::vector<Event> keys;
  std::ranges::copy_if(events, std::back_inserter(keys),
                       [](const Event& event) { return event.type == EV_KEY; });
  return keys;
}

}  // namespace vmtest

#pragma once

#include <sys/eventfd.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <deque>
#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <set>
#include <string>
#include <vector>

#include "platform/input/InputDeviceSource.h"

// A scripted stand-in for the kernel's input devices: the benchmark types events
// into a device and the tap reads them on its input thread. Hot-plugging and
// what reaches the clones are covered against the kernel (tests/vm/input).
namespace fakeinput {

using platform::InputEvent;
using Events = std::vector<InputEvent>;

// Readable while its counter is not zero, like a device with waiting events.
struct Signal {
  int fd = eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK);
  Signal() = default;
  Signal(const Signal&) = delete;
  ~Signal() { close(fd); }
  void raise() { [[maybe_unused]] auto n = ::write(fd, &kOne, sizeof kOne); }
  void clear() {
    std::uint64_t count;
    [[maybe_unused]] auto n = ::read(fd, &count, sizeof count);
  }
  static constexpr std::uint64_t kOne = 1;
};

// Everything the test and the tap share about one device. Guarded by `mutex`.
struct Device {
  Device(std::set<std::uint16_t> keys) : keys(keys) {}

  std::mutex mutex;
  std::condition_variable changed;
  std::set<std::uint16_t> keys;
  std::deque<InputEvent> pending;
  Signal readable, feedbackReadable;
  bool cloneExists = false;
  Events clientFeedback;  // what applications sent to the clone
  Events deviceFeedback;  // what reached the device
  // For timing without the lock: when the clone was last written, and how often.
  std::atomic<std::int64_t> lastCloneWriteNs{0};
  std::atomic<int> cloneWrites{0};

  void type(const Events& events) {
    std::lock_guard lock(mutex);
    pending.insert(pending.end(), events.begin(), events.end());
    readable.raise();
  }
  void sendFeedbackToClone(const Events& events) {
    std::lock_guard lock(mutex);
    clientFeedback.insert(clientFeedback.end(), events.begin(), events.end());
    feedbackReadable.raise();
  }
  // Runs `change` under the lock and wakes whoever waits.
  template <typename F>
  auto update(F change) {
    std::lock_guard lock(mutex);
    changed.notify_all();
    return change();
  }
  // Waits until `done` holds (checked under the lock) or two seconds pass.
  bool waitUntil(const std::function<bool()>& done) {
    std::unique_lock lock(mutex);
    return changed.wait_for(lock, std::chrono::seconds(2), done);
  }
};

class Clone : public platform::VirtualInputDevice {
 public:
  explicit Clone(std::shared_ptr<Device> device) : d_(device) {}
  ~Clone() override {
    d_->update([&] { d_->cloneExists = false; });
  }
  void write(std::span<const InputEvent>) override {
    d_->lastCloneWriteNs =
        std::chrono::steady_clock::now().time_since_epoch() / std::chrono::nanoseconds(1);
    d_->cloneWrites.fetch_add(1);
  }
  int feedbackFd() const override { return d_->feedbackReadable.fd; }
  Events readFeedback() override {
    return d_->update([&] {
      d_->feedbackReadable.clear();
      return std::exchange(d_->clientFeedback, {});
    });
  }

 private:
  std::shared_ptr<Device> d_;
};

class OpenDevice : public platform::InputDevice {
 public:
  explicit OpenDevice(std::shared_ptr<Device> device) : d_(device) {}
  int fd() const override { return d_->readable.fd; }
  std::string name() const override { return "Fake keyboard"; }
  bool canSendKey(std::uint16_t code) const override { return d_->keys.count(code) != 0; }
  KeyBits keysDown() override { return {}; }
  bool setGrabbed(bool) override { return true; }
  ReadStatus read(Events& events) override {
    return d_->update([&] {
      d_->readable.clear();
      events.insert(events.end(), d_->pending.begin(), d_->pending.end());
      d_->pending.clear();
      return ReadStatus::Ok;
    });
  }
  void writeFeedback(std::span<const InputEvent> events) override {
    d_->update(
        [&] { d_->deviceFeedback.insert(d_->deviceFeedback.end(), events.begin(), events.end()); });
  }
  std::unique_ptr<platform::VirtualInputDevice> createClone(const std::string&) override {
    d_->update([&] { d_->cloneExists = true; });
    return std::make_unique<Clone>(d_);
  }

 private:
  std::shared_ptr<Device> d_;
};

// The set of devices; nothing is ever hot-plugged.
struct System {
  std::mutex mutex;
  std::map<std::string, std::shared_ptr<Device>> devices;
  Signal changesReadable;
  bool uinputWritable = true;
  bool listable = true;

  std::shared_ptr<Device> add(const std::string& path, std::string, std::set<std::uint16_t> keys) {
    std::lock_guard lock(mutex);
    return devices[path] = std::make_shared<Device>(keys);
  }
};

class Source : public platform::InputDeviceSource {
 public:
  explicit Source(std::shared_ptr<System> system) : s_(system) {}
  bool canCreateVirtualDevices() override { return s_->uinputWritable; }
  std::optional<std::vector<std::string>> enumerate() override {
    std::lock_guard lock(s_->mutex);
    if (!s_->listable) return std::nullopt;
    std::vector<std::string> paths;
    for (const auto& entry : s_->devices) paths.push_back(entry.first);
    return paths;
  }
  std::unique_ptr<platform::InputDevice> open(const std::string& path) override {
    std::lock_guard lock(s_->mutex);
    auto found = s_->devices.find(path);
    return found == s_->devices.end() ? nullptr : std::make_unique<OpenDevice>(found->second);
  }
  int changesFd() const override { return s_->changesReadable.fd; }
  std::vector<Change> readChanges() override { return {}; }

 private:
  std::shared_ptr<System> s_;
};

}  // namespace fakeinput

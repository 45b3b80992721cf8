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

#include "platform/InputDeviceSource.h"

// A scripted stand-in for the kernel's input devices: the test types events
// into a device, the tap reads them on its input thread, and what it writes
// to the device's clone is collected for the test to compare.
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
  Device(std::string name, std::set<std::uint16_t> keys) : name(name), keys(keys) {}

  std::mutex mutex;
  std::condition_variable changed;
  std::string name;
  std::set<std::uint16_t> keys;
  platform::InputDevice::KeyBits down;  // the kernel's view: ahead of what was read
  std::deque<InputEvent> pending;
  Signal readable, feedbackReadable;
  bool gone = false, grabbed = false, cloneExists = false;
  std::string cloneName;
  Events cloneOutput;
  Events clientFeedback;  // what applications sent to the clone
  Events deviceFeedback;  // what reached the device
  // For timing without the lock: when the clone was last written, and how often.
  std::atomic<std::int64_t> lastCloneWriteNs{0};
  std::atomic<int> cloneWrites{0};

  // The user presses, repeats or releases keys; one call is one batch.
  void type(const Events& events) {
    std::lock_guard lock(mutex);
    for (const InputEvent& event : events) {
      if (event.type == EV_KEY && event.value != 2) down.set(event.code, event.value == 1);
      pending.push_back(event);
    }
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
  void write(std::span<const InputEvent> events) override {
    d_->update(
        [&] { d_->cloneOutput.insert(d_->cloneOutput.end(), events.begin(), events.end()); });
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
  std::string name() const override { return d_->name; }
  bool canSendKey(std::uint16_t code) const override { return d_->keys.count(code) != 0; }
  KeyBits keysDown() override {
    return d_->update([&] { return d_->down; });
  }
  bool setGrabbed(bool grabbed) override {
    d_->update([&] { d_->grabbed = grabbed; });
    return true;
  }
  ReadStatus read(Events& events) override {
    return d_->update([&] {
      d_->readable.clear();
      events.insert(events.end(), d_->pending.begin(), d_->pending.end());
      d_->pending.clear();
      return d_->gone ? ReadStatus::Gone : ReadStatus::Ok;
    });
  }
  void writeFeedback(std::span<const InputEvent> events) override {
    d_->update(
        [&] { d_->deviceFeedback.insert(d_->deviceFeedback.end(), events.begin(), events.end()); });
  }
  std::unique_ptr<platform::VirtualInputDevice> createClone(const std::string& name) override {
    d_->update([&] { d_->cloneExists = true, d_->cloneName = name; });
    return std::make_unique<Clone>(d_);
  }

 private:
  std::shared_ptr<Device> d_;
};

// The set of devices and the hot-plug stream.
struct System {
  using Change = platform::InputDeviceSource::Change;
  std::mutex mutex;
  std::map<std::string, std::shared_ptr<Device>> devices;
  std::vector<Change> changes;
  Signal changesReadable;
  bool uinputWritable = true;
  bool listable = true;

  std::shared_ptr<Device> add(const std::string& path, std::string name,
                              std::set<std::uint16_t> keys) {
    std::lock_guard lock(mutex);
    return devices[path] = std::make_shared<Device>(name, keys);
  }
  std::shared_ptr<Device> plug(const std::string& path, std::string name,
                               std::set<std::uint16_t> keys) {
    auto device = add(path, name, keys);
    announce({Change::Kind::Added, path});
    return device;
  }
  void unplug(const std::string& path) {
    std::shared_ptr<Device> device;
    {
      std::lock_guard lock(mutex);
      device = devices.at(path);
      devices.erase(path);
    }
    announce({Change::Kind::Removed, path});
    device->update([&] { device->gone = true; });
    device->readable.raise();
  }
  void announce(Change change) {
    std::lock_guard lock(mutex);
    changes.push_back(change);
    changesReadable.raise();
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
  std::vector<Change> readChanges() override {
    std::lock_guard lock(s_->mutex);
    s_->changesReadable.clear();
    return std::exchange(s_->changes, {});
  }

 private:
  std::shared_ptr<System> s_;
};

}  // namespace fakeinput

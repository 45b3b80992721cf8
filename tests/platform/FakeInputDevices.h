#pragma once

#include <sys/eventfd.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdint>
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

using platform::InputDevice;
using platform::InputEvent;

// Readable while its counter is not zero, like a device with waiting events.
class Signal {
 public:
  Signal() : fd_(eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK)) {}
  ~Signal() { close(fd_); }
  Signal(const Signal&) = delete;
  Signal& operator=(const Signal&) = delete;
  void raise() {
    const std::uint64_t one = 1;
    [[maybe_unused]] ssize_t n = write(fd_, &one, sizeof one);
  }
  void clear() {
    std::uint64_t count = 0;
    [[maybe_unused]] ssize_t n = read(fd_, &count, sizeof count);
  }
  int fd() const { return fd_; }

 private:
  int fd_;
};

// Everything the test and the tap share about one device. Guarded by `mutex`.
struct Device {
  Device(std::string name, std::set<std::uint16_t> keys)
      : name(std::move(name)), keys(std::move(keys)) {}

  std::mutex mutex;
  std::condition_variable changed;
  std::string name;
  std::set<std::uint16_t> keys;
  InputDevice::KeyBits down;  // the kernel's view: ahead of what was read
  std::deque<InputEvent> pending;
  Signal readable;
  bool gone = false;
  bool grabbed = false;
  bool cloneExists = false;
  std::string cloneName;
  std::vector<InputEvent> cloneOutput;
  // For timing without the lock: when the clone was last written, and how often.
  std::atomic<std::int64_t> lastCloneWriteNs{0};
  std::atomic<int> cloneWrites{0};
  std::vector<InputEvent> clientFeedback;  // what applications sent to the clone
  Signal feedbackReadable;
  std::vector<InputEvent> deviceFeedback;  // what reached the device

  // The user presses, repeats or releases keys; one call is one batch.
  void type(const std::vector<InputEvent>& events) {
    std::lock_guard lock(mutex);
    for (const InputEvent& event : events) {
      if (event.type == EV_KEY && event.value != 2) {
        down.set(event.code, event.value == 1);
      }
      pending.push_back(event);
    }
    readable.raise();
  }
  void unplug() {
    std::lock_guard lock(mutex);
    gone = true;
    readable.raise();
  }
  void sendFeedbackToClone(const std::vector<InputEvent>& events) {
    std::lock_guard lock(mutex);
    clientFeedback.insert(clientFeedback.end(), events.begin(), events.end());
    feedbackReadable.raise();
  }
  // Waits until `done` holds (checked under the lock) or two seconds pass.
  bool waitUntil(const std::function<bool()>& done) {
    std::unique_lock lock(mutex);
    return changed.wait_for(lock, std::chrono::seconds(2), done);
  }
  void notify() { changed.notify_all(); }
};

class Clone : public platform::VirtualInputDevice {
 public:
  explicit Clone(std::shared_ptr<Device> device) : device_(std::move(device)) {}
  ~Clone() override {
    std::lock_guard lock(device_->mutex);
    device_->cloneExists = false;
    device_->notify();
  }
  void write(std::span<const InputEvent> events) override {
    std::lock_guard lock(device_->mutex);
    device_->cloneOutput.insert(device_->cloneOutput.end(), events.begin(), events.end());
    device_->lastCloneWriteNs.store(std::chrono::steady_clock::now().time_since_epoch() /
                                    std::chrono::nanoseconds(1));
    device_->cloneWrites.fetch_add(1);
    device_->notify();
  }
  int feedbackFd() const override { return device_->feedbackReadable.fd(); }
  std::vector<InputEvent> readFeedback() override {
    std::lock_guard lock(device_->mutex);
    device_->feedbackReadable.clear();
    return std::exchange(device_->clientFeedback, {});
  }

 private:
  std::shared_ptr<Device> device_;
};

class OpenDevice : public InputDevice {
 public:
  explicit OpenDevice(std::shared_ptr<Device> device) : device_(std::move(device)) {}
  int fd() const override { return device_->readable.fd(); }
  std::string name() const override { return device_->name; }
  bool canSendKey(std::uint16_t code) const override { return device_->keys.count(code) != 0; }
  KeyBits keysDown() override {
    std::lock_guard lock(device_->mutex);
    return device_->down;
  }
  bool setGrabbed(bool grabbed) override {
    std::lock_guard lock(device_->mutex);
    device_->grabbed = grabbed;
    device_->notify();
    return true;
  }
  ReadStatus read(std::vector<InputEvent>& events) override {
    std::lock_guard lock(device_->mutex);
    device_->readable.clear();
    events.insert(events.end(), device_->pending.begin(), device_->pending.end());
    device_->pending.clear();
    device_->notify();
    return device_->gone ? ReadStatus::Gone : ReadStatus::Ok;
  }
  void writeFeedback(std::span<const InputEvent> events) override {
    std::lock_guard lock(device_->mutex);
    device_->deviceFeedback.insert(device_->deviceFeedback.end(), events.begin(), events.end());
    device_->notify();
  }
  std::unique_ptr<platform::VirtualInputDevice> createClone(const std::string& name) override {
    std::lock_guard lock(device_->mutex);
    device_->cloneExists = true;
    device_->cloneName = name;
    device_->notify();
    return std::make_unique<Clone>(device_);
  }

 private:
  std::shared_ptr<Device> device_;
};

// The set of devices and the hot-plug stream.
struct System {
  std::mutex mutex;
  std::map<std::string, std::shared_ptr<Device>> devices;
  std::deque<platform::InputDeviceSource::Change> changes;
  Signal changesReadable;
  bool uinputWritable = true;
  bool listable = true;

  std::shared_ptr<Device> add(const std::string& path, std::string name,
                              std::set<std::uint16_t> keys) {
    auto device = std::make_shared<Device>(std::move(name), std::move(keys));
    std::lock_guard lock(mutex);
    devices[path] = device;
    return device;
  }
  std::shared_ptr<Device> plug(const std::string& path, std::string name,
                               std::set<std::uint16_t> keys) {
    auto device = add(path, std::move(name), std::move(keys));
    std::lock_guard lock(mutex);
    changes.push_back({platform::InputDeviceSource::Change::Kind::Added, path});
    changesReadable.raise();
    return device;
  }
  void unplug(const std::string& path) {
    std::shared_ptr<Device> device;
    {
      std::lock_guard lock(mutex);
      device = devices[path];
      devices.erase(path);
      changes.push_back({platform::InputDeviceSource::Change::Kind::Removed, path});
      changesReadable.raise();
    }
    device->unplug();
  }
};

class Source : public platform::InputDeviceSource {
 public:
  explicit Source(std::shared_ptr<System> system) : system_(std::move(system)) {}
  bool canCreateVirtualDevices() override { return system_->uinputWritable; }
  std::optional<std::vector<std::string>> enumerate() override {
    std::lock_guard lock(system_->mutex);
    if (!system_->listable) {
      return std::nullopt;
    }
    std::vector<std::string> paths;
    for (const auto& entry : system_->devices) {
      paths.push_back(entry.first);
    }
    return paths;
  }
  std::unique_ptr<InputDevice> open(const std::string& path) override {
    std::lock_guard lock(system_->mutex);
    auto found = system_->devices.find(path);
    if (found == system_->devices.end()) {
      return nullptr;
    }
    return std::make_unique<OpenDevice>(found->second);
  }
  int changesFd() const override { return system_->changesReadable.fd(); }
  std::vector<Change> readChanges() override {
    std::lock_guard lock(system_->mutex);
    system_->changesReadable.clear();
    std::vector<Change> changes(system_->changes.begin(), system_->changes.end());
    system_->changes.clear();
    return changes;
  }

 private:
  std::shared_ptr<System> system_;
};

}  // namespace fakeinput

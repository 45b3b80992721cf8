#include "platform/input/InputTapLoop.h"

#include <poll.h>
#include <sys/eventfd.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <cerrno>

#include "platform/input/BrightnessKeyRule.h"

namespace platform {

namespace {

template <std::size_t N>
bool canSendAny(const InputDevice& device, const std::array<std::uint16_t, N>& keys) {
  return std::any_of(keys.begin(), keys.end(),
                     [&device](std::uint16_t key) { return device.canSendKey(key); });
}

}  // namespace

struct InputTapLoop::TrackedDevice {
  enum class Role {
    ModifierSource,   // a keyboard watched only for its modifier keys
    AwaitingRelease,  // to be taken over once none of its keys is down
    TakenOver,
  };
  std::string path;
  std::unique_ptr<InputDevice> device;
  Role role = Role::ModifierSource;
  std::unique_ptr<VirtualInputDevice> clone;
  EvdevFrameFilter filter;
  bool gone = false;
};

InputTapLoop::InputTapLoop(std::unique_ptr<InputDeviceSource> source, InputTap::Callback callback)
    : source_(std::move(source)),
      callback_(std::move(callback)),
      wakeFd_(eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK)) {}

InputTapLoop::~InputTapLoop() {
  for (auto& tracked : devices_) {
    release(*tracked);
  }
  if (wakeFd_ >= 0) {
    close(wakeFd_);
  }
}

bool InputTapLoop::openDevices() {
  std::optional<std::vector<std::string>> paths = source_->enumerate();
  if (!paths || wakeFd_ < 0) {
    return false;
  }
  for (const std::string& path : *paths) {
    addDevice(path);
  }
  return true;
}

void InputTapLoop::requestStop() {
  stopRequested_.store(true);
  const std::uint64_t one = 1;
  [[maybe_unused]] ssize_t written = write(wakeFd_, &one, sizeof one);
}

void InputTapLoop::run() {
  while (!stopRequested_.load()) {
    waitForWork();
    dropGoneDevices();
  }
  for (auto& tracked : devices_) {
    release(*tracked);
  }
  devices_.clear();
}

void InputTapLoop::waitForWork() {
  std::vector<pollfd> fds;
  std::vector<std::pair<TrackedDevice*, Readiness>> owners;
  auto watch = [&](int fd, TrackedDevice* tracked, Readiness readiness) {
    if (fd >= 0) {
      fds.push_back({fd, POLLIN, 0});
      owners.emplace_back(tracked, readiness);
    }
  };
  watch(wakeFd_, nullptr, Readiness::None);
  watch(source_->changesFd(), nullptr, Readiness::None);
  for (auto& tracked : devices_) {
    if (tracked->role != TrackedDevice::Role::ModifierSource) {
      watch(tracked->device->fd(), tracked.get(), Readiness::Device);
    }
    if (tracked->clone) {
      watch(tracked->clone->feedbackFd(), tracked.get(), Readiness::Feedback);
    }
  }
  if (poll(fds.data(), fds.size(), -1) < 0) {
    return;  // Interrupted by a signal: look again.
  }
  if (fds[0].revents != 0) {
    std::uint64_t count = 0;
    [[maybe_unused]] ssize_t drained = read(wakeFd_, &count, sizeof count);
  }
  for (std::size_t i = 1; i < fds.size(); ++i) {
    if (fds[i].revents == 0) {
      continue;
    }
    auto [tracked, readiness] = owners[i];
    if (tracked == nullptr) {
      applyChanges();
    } else if (!tracked->gone && readiness == Readiness::Device) {
      serveDevice(*tracked);
    } else if (!tracked->gone && readiness == Readiness::Feedback) {
      forwardFeedback(*tracked);
    }
  }
}

void InputTapLoop::applyChanges() {
  for (const InputDeviceSource::Change& change : source_->readChanges()) {
    if (change.kind == InputDeviceSource::Change::Kind::Added) {
      addDevice(change.path);
    } else {
      removeDevice(change.path);
    }
  }
}

void InputTapLoop::addDevice(const std::string& path) {
  const bool known = std::any_of(devices_.begin(), devices_.end(), [&path](const auto& tracked) {
    return tracked->path == path && !tracked->gone;
  });
  if (known) {
    return;
  }
  std::unique_ptr<InputDevice> device = source_->open(path);
  if (!device || device->name().starts_with(kCloneNamePrefix)) {
    return;
  }
  auto tracked = std::make_unique<TrackedDevice>();
  tracked->path = path;
  if (canSendAny(*device, BrightnessKeyRule::kTakenKeys)) {
    tracked->role = TrackedDevice::Role::AwaitingRelease;
  } else if (!canSendAny(*device, BrightnessKeyRule::kModifierKeys)) {
    return;
  }
  tracked->device = std::move(device);
  devices_.push_back(std::move(tracked));
  if (devices_.back()->role == TrackedDevice::Role::AwaitingRelease) {
    tryTakeOver(*devices_.back());
  }
}

void InputTapLoop::removeDevice(const std::string& path) {
  for (auto& tracked : devices_) {
    if (tracked->path == path && !tracked->gone) {
      release(*tracked);
    }
  }
}

// Taking a device over while one of its keys is down would leave that key
// held for the applications (they saw the press, never the release) or
// repeat it; so the device is taken only when all its keys are up.
void InputTapLoop::tryTakeOver(TrackedDevice& tracked) {
  InputDevice& device = *tracked.device;
  if (device.keysDown().any() || !device.setGrabbed(true)) {
    return;
  }
  // What waited in the buffer had already reached the applications.
  readBuffer_.clear();
  const bool readable = device.read(readBuffer_) == InputDevice::ReadStatus::Ok;
  if (!readable || device.keysDown().any()) {
    device.setGrabbed(false);
    tracked.gone = !readable;
    return;
  }
  tracked.clone = device.createClone(kCloneNamePrefix + device.name());
  if (!tracked.clone) {
    device.setGrabbed(false);
    tracked.role = TrackedDevice::Role::ModifierSource;
    return;
  }
  tracked.role = TrackedDevice::Role::TakenOver;
}

void InputTapLoop::serveDevice(TrackedDevice& tracked) {
  readBuffer_.clear();
  if (tracked.device->read(readBuffer_) == InputDevice::ReadStatus::Gone) {
    release(tracked);
    return;
  }
  if (tracked.role == TrackedDevice::Role::AwaitingRelease) {
    tryTakeOver(tracked);
    return;
  }
  writeBuffer_.clear();
  for (const InputEvent& event : readBuffer_) {
    tracked.filter.feed(
        event, [this](const InputEvent& key) { return decide(key); }, writeBuffer_);
  }
  if (!writeBuffer_.empty()) {
    tracked.clone->write(writeBuffer_);
  }
}

void InputTapLoop::forwardFeedback(TrackedDevice& tracked) {
  std::vector<InputEvent> feedback = tracked.clone->readFeedback();
  if (!feedback.empty()) {
    tracked.device->writeFeedback(feedback);
  }
}

// Releases are taken too: the filter still lets a release through to the
// clone that holds the key.
TapVerdict InputTapLoop::decide(const InputEvent& key) {
  if (!BrightnessKeyRule::isTaken(key.code)) {
    return TapVerdict::Pass;
  }
  if (std::optional<KeyReport> report =
          BrightnessKeyRule::report(key.code, key.value, heldModifiers())) {
    callback_(*report);
  }
  return TapVerdict::Delete;
}

// Modifiers count from every keyboard: Shift may be held on the main keyboard
// while the brightness key comes from a separate consumer-control device.
InputDevice::KeyBits InputTapLoop::heldModifiers() {
  InputDevice::KeyBits held;
  for (auto& tracked : devices_) {
    if (tracked->gone) {
      continue;
    }
    if (tracked->role == TrackedDevice::Role::TakenOver) {
      held |= tracked->filter.modifiersDown();
    } else {
      held |= tracked->device->keysDown();
    }
  }
  return held;
}

void InputTapLoop::release(TrackedDevice& tracked) {
  if (tracked.gone) {
    return;
  }
  tracked.gone = true;
  if (tracked.clone) {
    std::vector<InputEvent> releases = tracked.filter.releaseHeldKeys();
    if (!releases.empty()) {
      tracked.clone->write(releases);
    }
    tracked.clone.reset();
    tracked.device->setGrabbed(false);
  }
}

void InputTapLoop::dropGoneDevices() {
  std::erase_if(devices_, [](const auto& tracked) { return tracked->gone; });
}

}  // namespace platform

#pragma once

#include <atomic>
#include <memory>
#include <string>
#include <vector>

#include "platform/input/EvdevFrameFilter.h"
#include "platform/input/InputDeviceSource.h"
#include "platform/input/InputTap.h"

namespace platform {

// The work of the Linux input tap: takes over every device that can send a
// brightness key, reports its brightness presses to the tap's callback and
// re-emits the rest through the device's virtual clone; watches the other
// keyboards for their modifier keys, and follows devices as they come and go.
// After `openDevices`, everything but `requestStop` runs on the input thread.
class InputTapLoop {
 public:
  // Clones are named with this prefix, so no tap ever takes over a clone.
  static constexpr const char* kCloneNamePrefix = "Glimmerbox/";

  InputTapLoop(std::unique_ptr<InputDeviceSource> source, InputTap::Callback callback);
  ~InputTapLoop();
  InputTapLoop(const InputTapLoop&) = delete;
  InputTapLoop& operator=(const InputTapLoop&) = delete;

  // Opens the devices present now; false when they cannot be listed.
  bool openDevices();
  // Serves the devices until `requestStop`, then gives every device back.
  void run();
  void requestStop();

 private:
  struct TrackedDevice;
  enum class Readiness { None, Device, Feedback };

  void addDevice(const std::string& path);
  void removeDevice(const std::string& path);
  void tryTakeOver(TrackedDevice& tracked);
  void serveDevice(TrackedDevice& tracked);
  void forwardFeedback(TrackedDevice& tracked);
  void applyChanges();
  void release(TrackedDevice& tracked);
  void dropGoneDevices();
  TapVerdict decide(const InputEvent& key);
  InputDevice::KeyBits heldModifiers();
  void waitForWork();

  std::unique_ptr<InputDeviceSource> source_;
  const InputTap::Callback callback_;
  std::atomic<bool> stopRequested_{false};
  const int wakeFd_;
  std::vector<std::unique_ptr<TrackedDevice>> devices_;
  std::vector<InputEvent> readBuffer_;
  std::vector<InputEvent> writeBuffer_;
};

}  // namespace platform

#pragma once

#include "platform/input/VirtualInputDevice.h"

struct libevdev_uinput;

namespace platform {

// A uinput device made from a real device's description.
class UinputClone : public VirtualInputDevice {
 public:
  // Takes ownership of `device`.
  explicit UinputClone(libevdev_uinput* device);
  ~UinputClone() override;
  UinputClone(const UinputClone&) = delete;
  UinputClone& operator=(const UinputClone&) = delete;

  void write(std::span<const InputEvent> events) override;
  int feedbackFd() const override;
  std::vector<InputEvent> readFeedback() override;

 private:
  libevdev_uinput* const device_;
  const int fd_;
};

}  // namespace platform

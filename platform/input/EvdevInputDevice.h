#pragma once

#include <memory>
#include <string>

#include "platform/input/InputDevice.h"

struct libevdev;

namespace platform {

// An event device read through libevdev.
class EvdevInputDevice : public InputDevice {
 public:
  // Null when the device cannot be opened for reading.
  static std::unique_ptr<EvdevInputDevice> open(const std::string& path);
  ~EvdevInputDevice() override;
  EvdevInputDevice(const EvdevInputDevice&) = delete;
  EvdevInputDevice& operator=(const EvdevInputDevice&) = delete;

  int fd() const override;
  std::string name() const override;
  bool canSendKey(std::uint16_t code) const override;
  KeyBits keysDown() override;
  bool setGrabbed(bool grabbed) override;
  ReadStatus read(std::vector<InputEvent>& events) override;
  void writeFeedback(std::span<const InputEvent> events) override;
  std::unique_ptr<VirtualInputDevice> createClone(const std::string& name) override;

 private:
  EvdevInputDevice(int fd, libevdev* device);
  bool readResync(std::vector<InputEvent>& events);

  const int fd_;
  libevdev* const device_;
  const std::string name_;
};

}  // namespace platform

#pragma once

#include "platform/InputTap.h"

namespace platform {

// Makes input taps over the system's evdev devices and /dev/uinput.
class LinuxInputTapService : public InputTapService {
 public:
  std::unique_ptr<InputTap> createTap(std::uint64_t eventMask, Callback callback) override;
};

}  // namespace platform

#pragma once

#include <memory>
#include <thread>

#include "platform/input/InputDeviceSource.h"
#include "platform/input/InputTap.h"

namespace platform {

class InputTapLoop;

// The input tap on evdev and uinput. Its devices are read, filtered and
// re-emitted on a dedicated input thread, so typing never waits for the main
// thread.
class LinuxInputTap : public InputTap {
 public:
  // Null when virtual devices cannot be made or the devices cannot be listed.
  static std::unique_ptr<LinuxInputTap> create(std::unique_ptr<InputDeviceSource> source,
                                               Callback callback);
  // Gives every device back; waits for the input thread unless called on it.
  ~LinuxInputTap() override;
  LinuxInputTap(const LinuxInputTap&) = delete;
  LinuxInputTap& operator=(const LinuxInputTap&) = delete;

 private:
  explicit LinuxInputTap(std::shared_ptr<InputTapLoop> loop);

  std::shared_ptr<InputTapLoop> loop_;
  std::thread thread_;
};

}  // namespace platform

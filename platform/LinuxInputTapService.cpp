#include "platform/LinuxInputTapService.h"

#include "platform/EvdevInputDeviceSource.h"
#include "platform/LinuxInputTap.h"

namespace platform {

std::unique_ptr<InputTap> LinuxInputTapService::createTap(std::uint64_t eventMask,
                                                          Callback callback) {
  return LinuxInputTap::create(std::make_unique<EvdevInputDeviceSource>(), eventMask,
                               std::move(callback));
}

}  // namespace platform

#include "platform/input/LinuxInputTap.h"

#include "platform/input/InputTapLoop.h"

namespace platform {

std::unique_ptr<LinuxInputTap> LinuxInputTap::create(std::unique_ptr<InputDeviceSource> source,
                                                     Callback callback) {
  if (!source->canCreateVirtualDevices()) {
    return nullptr;
  }
  auto loop = std::make_shared<InputTapLoop>(std::move(source), std::move(callback));
  if (!loop->openDevices()) {
    return nullptr;
  }
  return std::unique_ptr<LinuxInputTap>(new LinuxInputTap(std::move(loop)));
}

// The thread shares the loop, so the loop outlives a tap destroyed from
// within its own callback.
LinuxInputTap::LinuxInputTap(std::shared_ptr<InputTapLoop> loop)
    : loop_(std::move(loop)), thread_([loop = loop_] { loop->run(); }) {}

LinuxInputTap::~LinuxInputTap() {
  loop_->requestStop();
  if (thread_.get_id() == std::this_thread::get_id()) {
    thread_.detach();
  } else {
    thread_.join();
  }
}

}  // namespace platform

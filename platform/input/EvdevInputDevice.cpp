#include "platform/input/EvdevInputDevice.h"

#include <fcntl.h>
#include <libevdev/libevdev-uinput.h>
#include <libevdev/libevdev.h>
#include <linux/input.h>
#include <sys/ioctl.h>
#include <unistd.h>

#include <array>
#include <cerrno>
#include <climits>

#include "platform/input/UinputClone.h"

namespace platform {

namespace {

constexpr std::size_t kKeyStateBytes = (KEY_CNT + CHAR_BIT - 1) / CHAR_BIT;

InputEvent fromKernel(const input_event& event) { return {event.type, event.code, event.value}; }

int openEventDevice(const std::string& path) {
  // Read-write so LED state can be sent back; reading alone still works.
  int fd = ::open(path.c_str(), O_RDWR | O_NONBLOCK | O_CLOEXEC);
  if (fd < 0) {
    fd = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
  }
  return fd;
}

}  // namespace

std::unique_ptr<EvdevInputDevice> EvdevInputDevice::open(const std::string& path) {
  const int fd = openEventDevice(path);
  if (fd < 0) {
    return nullptr;
  }
  libevdev* device = nullptr;
  if (libevdev_new_from_fd(fd, &device) != 0) {
    close(fd);
    return nullptr;
  }
  return std::unique_ptr<EvdevInputDevice>(new EvdevInputDevice(fd, device));
}

EvdevInputDevice::EvdevInputDevice(int fd, libevdev* device)
    : fd_(fd), device_(device), name_(libevdev_get_name(device)) {}

EvdevInputDevice::~EvdevInputDevice() {
  libevdev_free(device_);
  close(fd_);
}

int EvdevInputDevice::fd() const { return fd_; }

std::string EvdevInputDevice::name() const { return name_; }

bool EvdevInputDevice::canSendKey(std::uint16_t code) const {
  return libevdev_has_event_code(device_, EV_KEY, code) != 0;
}

InputDevice::KeyBits EvdevInputDevice::keysDown() {
  std::array<unsigned char, kKeyStateBytes> state{};
  KeyBits keys;
  if (ioctl(fd_, EVIOCGKEY(state.size()), state.data()) < 0) {
    return keys;
  }
  for (std::size_t byte = 0; byte < state.size(); ++byte) {
    for (int bit = 0; state[byte] != 0 && bit < CHAR_BIT; ++bit) {
      if ((state[byte] >> bit) & 1) {
        keys.set(byte * CHAR_BIT + bit);
      }
    }
  }
  return keys;
}

bool EvdevInputDevice::setGrabbed(bool grabbed) {
  return libevdev_grab(device_, grabbed ? LIBEVDEV_GRAB : LIBEVDEV_UNGRAB) == 0;
}

InputDevice::ReadStatus EvdevInputDevice::read(std::vector<InputEvent>& events) {
  for (;;) {
    input_event event;
    const int status = libevdev_next_event(device_, LIBEVDEV_READ_FLAG_NORMAL, &event);
    if (status == LIBEVDEV_READ_STATUS_SUCCESS) {
      events.push_back(fromKernel(event));
    } else if (status == LIBEVDEV_READ_STATUS_SYNC) {
      if (!readResync(events)) {
        return ReadStatus::Gone;
      }
    } else {
      return status == -EAGAIN ? ReadStatus::Ok : ReadStatus::Gone;
    }
  }
}

// After the kernel dropped events, libevdev hands out the changes that bring
// the state up to date; they go on like ordinary events.
bool EvdevInputDevice::readResync(std::vector<InputEvent>& events) {
  for (;;) {
    input_event event;
    const int status = libevdev_next_event(device_, LIBEVDEV_READ_FLAG_SYNC, &event);
    if (status == LIBEVDEV_READ_STATUS_SYNC) {
      events.push_back(fromKernel(event));
    } else {
      return status == -EAGAIN;
    }
  }
}

void EvdevInputDevice::writeFeedback(std::span<const InputEvent> events) {
  for (const InputEvent& event : events) {
    input_event raw{};
    raw.type = event.type;
    raw.code = event.code;
    raw.value = event.value;
    [[maybe_unused]] ssize_t written = write(fd_, &raw, sizeof raw);
  }
}

std::unique_ptr<VirtualInputDevice> EvdevInputDevice::createClone(const std::string& name) {
  // The clone passes this device's repeats on; repeating by itself as well
  // would double them.
  libevdev_set_name(device_, name.c_str());
  libevdev_disable_event_type(device_, EV_REP);
  libevdev_uinput* clone = nullptr;
  if (libevdev_uinput_create_from_device(device_, LIBEVDEV_UINPUT_OPEN_MANAGED, &clone) != 0) {
    return nullptr;
  }
  return std::make_unique<UinputClone>(clone);
}

}  // namespace platform

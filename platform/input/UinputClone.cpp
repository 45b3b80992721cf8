#include "platform/input/UinputClone.h"

#include <fcntl.h>
#include <libevdev/libevdev-uinput.h>
#include <linux/input.h>
#include <unistd.h>

#include <array>

namespace platform {

namespace {
// Enough for any frame a keyboard sends; longer batches go in several writes.
constexpr std::size_t kEventsPerWrite = 64;
}  // namespace

UinputClone::UinputClone(libevdev_uinput* device)
    : device_(device), fd_(libevdev_uinput_get_fd(device)) {
  // Feedback is read when poll says so; a read must never block the thread.
  fcntl(fd_, F_SETFL, fcntl(fd_, F_GETFL) | O_NONBLOCK);
}

UinputClone::~UinputClone() { libevdev_uinput_destroy(device_); }

// One write per batch: a frame reaches the kernel whole, in one system call.
void UinputClone::write(std::span<const InputEvent> events) {
  std::array<input_event, kEventsPerWrite> raw{};
  while (!events.empty()) {
    const std::size_t count = std::min(events.size(), raw.size());
    for (std::size_t i = 0; i < count; ++i) {
      raw[i] = input_event{};
      raw[i].type = events[i].type;
      raw[i].code = events[i].code;
      raw[i].value = events[i].value;
    }
    [[maybe_unused]] ssize_t written = ::write(fd_, raw.data(), count * sizeof(input_event));
    events = events.subspan(count);
  }
}

int UinputClone::feedbackFd() const { return fd_; }

std::vector<InputEvent> UinputClone::readFeedback() {
  std::vector<InputEvent> feedback;
  std::array<input_event, kEventsPerWrite> raw{};
  ssize_t bytes = 0;
  while ((bytes = ::read(fd_, raw.data(), sizeof raw)) > 0) {
    for (std::size_t i = 0; i < static_cast<std::size_t>(bytes) / sizeof(input_event); ++i) {
      if (raw[i].type == EV_LED || raw[i].type == EV_SND) {
        feedback.push_back({raw[i].type, raw[i].code, raw[i].value});
      }
    }
  }
  return feedback;
}

}  // namespace platform

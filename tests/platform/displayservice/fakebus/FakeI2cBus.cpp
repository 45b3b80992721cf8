#include "tests/platform/displayservice/fakebus/FakeI2cBus.h"

#include <fcntl.h>
#include <linux/i2c-dev.h>
#include <sys/file.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <string>
#include <string_view>

#include "platform/displayservice/SystemCalls.h"

namespace testsupport {
namespace {

constexpr std::string_view kBusPrefix = "/dev/i2c-";

int failWith(int error) {
  errno = error;
  return -1;
}

}  // namespace

FakeI2cBus& FakeI2cBus::instance() {
  static FakeI2cBus bus;
  return bus;
}

void FakeI2cBus::reset() {
  for (const auto& [fd, descriptor] : descriptors_) {
    ::close(fd);
  }
  *this = FakeI2cBus();
}

void FakeI2cBus::addBus(unsigned bus) { buses_[bus] = Bus(); }

void FakeI2cBus::removeBus(unsigned bus) { buses_.erase(bus); }

bool FakeI2cBus::anyLockHeld() const {
  for (const auto& [fd, descriptor] : descriptors_) {
    if (descriptor.locked) {
      return true;
    }
  }
  return false;
}

FakeI2cBus::Bus* FakeI2cBus::busOf(int fd, Descriptor** descriptor) {
  auto found = descriptors_.find(fd);
  if (found == descriptors_.end()) {
    return nullptr;
  }
  *descriptor = &found->second;
  auto bus = buses_.find(found->second.bus);
  return bus != buses_.end() ? &bus->second : nullptr;
}

int FakeI2cBus::open(const char* path, int flags) {
  lastOpenFlags_ = flags;
  std::string_view name(path);
  if (!name.starts_with(kBusPrefix)) {
    return failWith(ENOENT);
  }
  const unsigned bus = std::stoul(std::string(name.substr(kBusPrefix.size())));
  if (!buses_.contains(bus)) {
    return failWith(ENOENT);
  }
  const int fd = ::open("/dev/null", flags);
  if (fd >= 0) {
    descriptors_[fd] = Descriptor{bus};
  }
  return fd;
}

int FakeI2cBus::ioctl(int fd, unsigned long request, unsigned long argument) {
  Descriptor* descriptor = nullptr;
  Bus* bus = busOf(fd, &descriptor);
  if (bus == nullptr) {
    return failWith(descriptor == nullptr ? EBADF : ENODEV);
  }
  if (request != I2C_SLAVE && request != I2C_SLAVE_FORCE) {
    return failWith(ENOTTY);
  }
  if (bus->addressError != 0) {
    return failWith(bus->addressError);
  }
  if (request == I2C_SLAVE && bus->claimedAddress == static_cast<int>(argument)) {
    return failWith(EBUSY);
  }
  descriptor->chipAddress = static_cast<int>(argument);
  return 0;
}

long FakeI2cBus::write(int fd, const void* data, std::size_t length) {
  Descriptor* descriptor = nullptr;
  Bus* bus = busOf(fd, &descriptor);
  if (bus == nullptr) {
    return failWith(descriptor == nullptr ? EBADF : ENODEV);
  }
  if (bus->writeError != 0) {
    return failWith(bus->writeError);
  }
  const std::size_t accepted = bus->shortWrite != 0 ? bus->shortWrite : length;
  const auto* bytes = static_cast<const std::uint8_t*>(data);
  writes_.push_back(I2cWrite{descriptor->bus, descriptor->chipAddress, descriptor->locked,
                             std::vector<std::uint8_t>(bytes, bytes + accepted)});
  return static_cast<long>(accepted);
}

int FakeI2cBus::flock(int fd, int operation) {
  Descriptor* descriptor = nullptr;
  Bus* bus = busOf(fd, &descriptor);
  if (bus == nullptr) {
    return failWith(descriptor == nullptr ? EBADF : ENODEV);
  }
  if (operation & LOCK_UN) {
    descriptor->locked = false;
    return 0;
  }
  if (bus->lockRefusals != 0) {
    if (bus->lockRefusals > 0) {
      --bus->lockRefusals;
    }
    return failWith(EWOULDBLOCK);
  }
  descriptor->locked = true;
  return 0;
}

int FakeI2cBus::close(int fd) {
  if (descriptors_.erase(fd) == 0) {
    return failWith(EBADF);
  }
  return ::close(fd);
}

}  // namespace testsupport

namespace {

using testsupport::FakeI2cBus;

const GlimmerboxDisplayServiceSystemCalls kFakeCalls = {
    [](const char* path, int flags) { return FakeI2cBus::instance().open(path, flags); },
    [](int fd, unsigned long request, unsigned long argument) {
      return FakeI2cBus::instance().ioctl(fd, request, argument);
    },
    [](int fd, const void* data, size_t length) -> ssize_t {
      return FakeI2cBus::instance().write(fd, data, length);
    },
    [](int fd, int operation) { return FakeI2cBus::instance().flock(fd, operation); },
    [](int fd) { return FakeI2cBus::instance().close(fd); },
    [](unsigned int microseconds) { FakeI2cBus::instance().sleep(microseconds); },
};

}  // namespace

extern "C" const GlimmerboxDisplayServiceSystemCalls* glimmerboxDisplayServiceSystemCalls(void) {
  return FakeI2cBus::instance().usesCLibrary() ? nullptr : &kFakeCalls;
}

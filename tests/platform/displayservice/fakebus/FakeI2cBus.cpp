#include "tests/platform/displayservice/fakebus/FakeI2cBus.h"

#include <fcntl.h>
#include <linux/i2c-dev.h>
#include <sys/file.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>

#include "platform/ddc/displayservice/SystemCalls.h"

namespace testsupport {

FakeI2cBus& FakeI2cBus::instance() {
  static FakeI2cBus bus;
  return bus;
}

void FakeI2cBus::reset() {
  for (const auto& entry : descriptors) ::close(entry.first);
  *this = FakeI2cBus();
}

}  // namespace testsupport

namespace {

using testsupport::FakeI2cBus;

FakeI2cBus& fake() { return FakeI2cBus::instance(); }

int failWith(int error) {
  errno = error;
  return -1;
}

// The descriptor's entry and its bus, or null with errno set.
FakeI2cBus::Bus* busOf(int fd, FakeI2cBus::Descriptor*& descriptor) {
  auto found = fake().descriptors.find(fd);
  if (found == fake().descriptors.end()) return failWith(EBADF), nullptr;
  descriptor = &found->second;
  auto bus = fake().buses.find(descriptor->bus);
  return bus != fake().buses.end() ? &bus->second : (failWith(ENODEV), nullptr);
}

int fakeOpen(const char* path, int flags) {
  fake().lastOpenFlags = flags;
  unsigned bus = 0;
  if (std::sscanf(path, "/dev/i2c-%u", &bus) != 1 || !fake().buses.contains(bus)) {
    return failWith(ENOENT);
  }
  const int fd = ::open("/dev/null", flags);
  if (fd >= 0) fake().descriptors[fd] = {bus};
  return fd;
}

int fakeIoctl(int fd, unsigned long request, unsigned long address) {
  FakeI2cBus::Descriptor* descriptor = nullptr;
  FakeI2cBus::Bus* bus = busOf(fd, descriptor);
  if (bus == nullptr) return -1;
  if (request != I2C_SLAVE && request != I2C_SLAVE_FORCE) return failWith(ENOTTY);
  if (bus->addressError != 0) return failWith(bus->addressError);
  if (request == I2C_SLAVE && bus->claimedAddress == static_cast<int>(address)) {
    return failWith(EBUSY);
  }
  descriptor->chipAddress = static_cast<int>(address);
  return 0;
}

ssize_t fakeWrite(int fd, const void* data, size_t length) {
  FakeI2cBus::Descriptor* descriptor = nullptr;
  FakeI2cBus::Bus* bus = busOf(fd, descriptor);
  if (bus == nullptr) return -1;
  const std::size_t accepted = bus->shortWrite != 0 ? bus->shortWrite : length;
  const auto* bytes = static_cast<const std::uint8_t*>(data);
  fake().written.push_back(
      {descriptor->bus, descriptor->chipAddress, descriptor->locked, {bytes, bytes + accepted}});
  return static_cast<ssize_t>(accepted);
}

int fakeFlock(int fd, int operation) {
  FakeI2cBus::Descriptor* descriptor = nullptr;
  if (busOf(fd, descriptor) == nullptr) return -1;
  descriptor->locked = (operation & LOCK_UN) == 0;
  return 0;
}

int fakeClose(int fd) { return fake().descriptors.erase(fd) == 0 ? failWith(EBADF) : ::close(fd); }

const GlimmerboxDisplayServiceSystemCalls kFakeCalls = {
    fakeOpen, fakeIoctl, fakeWrite, fakeFlock, fakeClose, [](unsigned int) {},
};

}  // namespace

extern "C" const GlimmerboxDisplayServiceSystemCalls* glimmerboxDisplayServiceSystemCalls(void) {
  return &kFakeCalls;
}

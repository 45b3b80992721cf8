#include "tests/platform/displayservice/fakebus/FakeI2cBus.h"

#include <fcntl.h>
#include <linux/i2c-dev.h>
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

// The open bus, or null with errno set.
FakeI2cBus::Write* descriptorOf(int fd) {
  auto found = fake().descriptors.find(fd);
  return found != fake().descriptors.end() ? &found->second : (failWith(EBADF), nullptr);
}

int fakeOpen(const char* path, int flags) {
  fake().lastOpenFlags = flags;
  unsigned bus = 0;
  if (std::sscanf(path, "/dev/i2c-%u", &bus) != 1 || !fake().buses.contains(bus)) {
    return failWith(ENOENT);
  }
  const int fd = ::open("/dev/null", flags);
  if (fd >= 0) fake().descriptors[fd] = {bus, -1, {}};
  return fd;
}

int fakeIoctl(int fd, unsigned long request, unsigned long address) {
  FakeI2cBus::Write* descriptor = descriptorOf(fd);
  if (descriptor == nullptr) return -1;
  const FakeI2cBus::Bus& bus = fake().buses[descriptor->bus];
  if (bus.addressError != 0) return failWith(bus.addressError);
  if (request == I2C_SLAVE && bus.claimedAddress == static_cast<int>(address)) {
    return failWith(EBUSY);
  }
  descriptor->chipAddress = static_cast<int>(address);
  return 0;
}

ssize_t fakeWrite(int fd, const void* data, size_t length) {
  const FakeI2cBus::Write* descriptor = descriptorOf(fd);
  if (descriptor == nullptr) return -1;
  const std::size_t shortWrite = fake().buses[descriptor->bus].shortWrite;
  const std::size_t accepted = shortWrite != 0 ? shortWrite : length;
  const auto* bytes = static_cast<const std::uint8_t*>(data);
  fake().writes.push_back({descriptor->bus, descriptor->chipAddress, {bytes, bytes + accepted}});
  return static_cast<ssize_t>(accepted);
}

int fakeFlock(int fd, int) { return descriptorOf(fd) == nullptr ? -1 : 0; }

int fakeClose(int fd) { return fake().descriptors.erase(fd) == 0 ? failWith(EBADF) : ::close(fd); }

const GlimmerboxDisplayServiceSystemCalls kFakeCalls = {
    fakeOpen, fakeIoctl, fakeWrite, fakeFlock, fakeClose, [](unsigned int) {},
};

}  // namespace

extern "C" const GlimmerboxDisplayServiceSystemCalls* glimmerboxDisplayServiceSystemCalls(void) {
  return &kFakeCalls;
}

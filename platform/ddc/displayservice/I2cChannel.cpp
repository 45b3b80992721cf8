#include "platform/ddc/displayservice/I2cChannel.h"

#include <fcntl.h>
#include <linux/i2c-dev.h>
#include <linux/i2c.h>
#include <sys/file.h>

#include <cerrno>
#include <cstddef>
#include <cstring>
#include <new>
#include <string>

#include "platform/ddc/displayservice/SystemCalls.h"

namespace displayservice {
namespace {

constexpr const char* kBusDevicePrefix = "/dev/i2c-";

// Another DDC/CI program holds the bus for one transaction of a few
// milliseconds; waiting longer only stalls the caller, whose retry covers it.
constexpr unsigned int kLockPollIntervalMicroseconds = 1000;
constexpr int kLockPollAttempts = 20;

constexpr std::uint32_t kHighestChipAddress = 0x7F;  // 7-bit I2C addresses.
constexpr std::uint32_t kHighestDataAddress = 0xFF;  // One byte on the wire.
// Far above any DDC/CI message (at most 32 bytes of payload); keeps the
// message on the stack.
constexpr std::uint32_t kLongestBuffer = 255;

std::int32_t negativeErrno() { return errno != 0 ? -errno : -EIO; }

}  // namespace

I2cChannel::I2cChannel(int fd) : service_{&I2cChannel::release}, fd_(fd) {}

I2cChannel* I2cChannel::open(std::uint32_t service) {
  if (service == 0) {
    return nullptr;
  }
  const std::string path = kBusDevicePrefix + std::to_string(service - 1);
  const GlimmerboxDisplayServiceSystemCalls& calls = systemCalls();
  const int fd = calls.open(path.c_str(), O_RDWR | O_CLOEXEC);
  if (fd < 0) {
    return nullptr;
  }
  auto* channel = new (std::nothrow) I2cChannel(fd);
  if (channel == nullptr) {
    calls.close(fd);
  }
  return channel;
}

I2cChannel* I2cChannel::fromService(GlimmerboxAVService* service) {
  static_assert(offsetof(I2cChannel, service_) == 0);
  return reinterpret_cast<I2cChannel*>(service);
}

void I2cChannel::release(GlimmerboxAVService* service) {
  if (service == nullptr) {
    return;
  }
  I2cChannel* channel = fromService(service);
  systemCalls().close(channel->fd_);
  delete channel;
}

std::int32_t I2cChannel::write(std::uint32_t chipAddress, std::uint32_t dataAddress,
                               const std::uint8_t* buffer, std::uint32_t length) {
  if (chipAddress > kHighestChipAddress || dataAddress > kHighestDataAddress ||
      length > kLongestBuffer || (buffer == nullptr && length > 0)) {
    return -EINVAL;
  }
  if (const std::int32_t status = lockBus(); status != 0) {
    return status;
  }
  std::int32_t status = addressChip(chipAddress);
  if (status == 0) {
    status = sendMessage(dataAddress, buffer, length);
  }
  unlockBus();
  return status;
}

std::int32_t I2cChannel::read(std::uint32_t chipAddress, std::uint32_t offset, std::uint8_t* buffer,
                              std::uint32_t length) {
  if (chipAddress > kHighestChipAddress || offset != 0 || length > kLongestBuffer ||
      (buffer == nullptr && length > 0)) {
    return -EINVAL;
  }
  if (const std::int32_t status = lockBus(); status != 0) {
    return status;
  }
  const std::int32_t status = receiveMessage(chipAddress, buffer, length);
  unlockBus();
  return status;
}

std::int32_t I2cChannel::lockBus() {
  const GlimmerboxDisplayServiceSystemCalls& calls = systemCalls();
  for (int attempt = 0;; ++attempt) {
    errno = 0;
    if (calls.flock(fd_, LOCK_EX | LOCK_NB) == 0) {
      return 0;
    }
    if (errno != EWOULDBLOCK && errno != EINTR) {
      return negativeErrno();
    }
    if (attempt == kLockPollAttempts) {
      return -EWOULDBLOCK;
    }
    calls.sleepMicroseconds(kLockPollIntervalMicroseconds);
  }
}

void I2cChannel::unlockBus() { systemCalls().flock(fd_, LOCK_UN); }

std::int32_t I2cChannel::addressChip(std::uint32_t chipAddress) {
  const GlimmerboxDisplayServiceSystemCalls& calls = systemCalls();
  errno = 0;
  if (calls.ioctl(fd_, I2C_SLAVE, chipAddress) == 0) {
    return 0;
  }
  // A kernel driver claims the address (a monitor's EDID or sensor driver);
  // DDC/CI shares it by design.
  if (errno == EBUSY && calls.ioctl(fd_, I2C_SLAVE_FORCE, chipAddress) == 0) {
    return 0;
  }
  return negativeErrno();
}

std::int32_t I2cChannel::sendMessage(std::uint32_t dataAddress, const std::uint8_t* buffer,
                                     std::uint32_t length) {
  std::uint8_t message[kLongestBuffer + 1];
  message[0] = static_cast<std::uint8_t>(dataAddress);
  if (length > 0) {
    std::memcpy(message + 1, buffer, length);
  }
  const std::size_t size = length + 1;
  errno = 0;
  const ssize_t written = systemCalls().write(fd_, message, size);
  if (written < 0) {
    return negativeErrno();
  }
  return static_cast<std::size_t>(written) == size ? 0 : -EIO;
}

// I2C_RDWR names the address in the message itself, so a kernel driver bound
// to it does not stand in the way, as with a forced address for the write.
std::int32_t I2cChannel::receiveMessage(std::uint32_t chipAddress, std::uint8_t* buffer,
                                        std::uint32_t length) {
  i2c_msg message = {static_cast<__u16>(chipAddress), I2C_M_RD, static_cast<__u16>(length), buffer};
  i2c_rdwr_ioctl_data transfer = {&message, 1};
  errno = 0;
  const int transferred =
      systemCalls().ioctl(fd_, I2C_RDWR, reinterpret_cast<unsigned long>(&transfer));
  if (transferred < 0) {
    return negativeErrno();
  }
  return transferred == 1 ? 0 : -EIO;
}

}  // namespace displayservice

#include "platform/ddc/DisplayService.h"

#include <cerrno>

#include "platform/ddc/displayservice/I2cChannel.h"

extern "C" {

__attribute__((visibility("default"))) IOAVServiceRef IOAVServiceCreateWithService(
    void* /*allocator*/, uint32_t service) {
  displayservice::I2cChannel* channel = displayservice::I2cChannel::open(service);
  return channel != nullptr ? channel->asService() : nullptr;
}

__attribute__((visibility("default"))) int32_t IOAVServiceWriteI2C(IOAVServiceRef service,
                                                                   uint32_t chipAddress,
                                                                   uint32_t dataAddress,
                                                                   void* buffer, uint32_t length) {
  if (service == nullptr) {
    return -EINVAL;
  }
  return displayservice::I2cChannel::fromService(service)->write(
      chipAddress, dataAddress, static_cast<const std::uint8_t*>(buffer), length);
}

__attribute__((visibility("default"))) int32_t IOAVServiceReadI2C(IOAVServiceRef service,
                                                                  uint32_t chipAddress,
                                                                  uint32_t offset, void* buffer,
                                                                  uint32_t length) {
  if (service == nullptr) {
    return -EINVAL;
  }
  return displayservice::I2cChannel::fromService(service)->read(
      chipAddress, offset, static_cast<std::uint8_t*>(buffer), length);
}

}  // extern "C"

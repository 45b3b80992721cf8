#pragma once

#include <cstdint>

#include "platform/ddc/DisplayService.h"

namespace displayservice {

// One open /dev/i2c-N, handed to the caller as the GlimmerboxAVService it
// begins with. Releasing it closes the descriptor.
class I2cChannel {
 public:
  // Opens the bus of `service` (bus number plus one); null when the service
  // id is 0, the bus is gone or access is denied.
  static I2cChannel* open(std::uint32_t service);

  static I2cChannel* fromService(GlimmerboxAVService* service);
  GlimmerboxAVService* asService() { return &service_; }

  // One I2C write of `dataAddress` then `buffer` to `chipAddress`, under an
  // exclusive lock on the bus. 0 when every byte went out, else a negative
  // errno.
  std::int32_t write(std::uint32_t chipAddress, std::uint32_t dataAddress,
                     const std::uint8_t* buffer, std::uint32_t length);
  // One plain I2C read of `length` bytes from `chipAddress`, under the same
  // lock. `offset` must be 0. 0 when every byte came in, else a negative
  // errno.
  std::int32_t read(std::uint32_t chipAddress, std::uint32_t offset, std::uint8_t* buffer,
                    std::uint32_t length);

 private:
  explicit I2cChannel(int fd);
  static void release(GlimmerboxAVService* service);

  std::int32_t lockBus();
  void unlockBus();
  std::int32_t addressChip(std::uint32_t chipAddress);
  std::int32_t sendMessage(std::uint32_t dataAddress, const std::uint8_t* buffer,
                           std::uint32_t length);
  std::int32_t receiveMessage(std::uint32_t chipAddress, std::uint8_t* buffer,
                              std::uint32_t length);

  GlimmerboxAVService service_;  // First, so the caller's pointer is this object's.
  int fd_;
};

}  // namespace displayservice

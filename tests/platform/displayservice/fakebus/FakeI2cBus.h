#pragma once

#include <cstddef>
#include <cstdint>
#include <map>
#include <vector>

namespace testsupport {

// One write as the bus saw it.
struct I2cWrite {
  unsigned bus = 0;
  int chipAddress = -1;  // -1: no address was set on the descriptor.
  bool lockHeld = false;
  std::vector<std::uint8_t> bytes;
};

// A stand-in for the kernel's /dev/i2c-N buses, served to the display-service
// library through its system-call table while this library is loaded. The
// descriptors it hands out are real (of /dev/null), so leaks show up in
// /proc/self/fd. Tests set a bus's faults in `buses` directly.
struct FakeI2cBus {
  struct Bus {
    std::size_t shortWrite = 0;  // every write takes only this many bytes
    int addressError = 0;        // addressing fails with this errno
    int claimedAddress = -1;     // a kernel driver holds it: plain addressing fails with EBUSY
  };
  struct Descriptor {
    unsigned bus = 0;
    int chipAddress = -1;
    bool locked = false;
  };

  static FakeI2cBus& instance();

  // Back to no buses, no failures, nothing recorded.
  void reset();
  void addBus(unsigned bus) { buses[bus] = Bus(); }
  const std::vector<I2cWrite>& writes() const { return written; }
  void clearWrites() { written.clear(); }
  std::size_t openDescriptors() const { return descriptors.size(); }

  std::map<unsigned, Bus> buses;
  std::map<int, Descriptor> descriptors;
  std::vector<I2cWrite> written;
  int lastOpenFlags = 0;
};

}  // namespace testsupport

#pragma once

#include <cstddef>
#include <cstdint>
#include <map>
#include <vector>

namespace testsupport {

// A stand-in for the kernel's /dev/i2c-N buses, served to the display-service
// library through its system-call table while this library is loaded. The
// descriptors it hands out are real (of /dev/null), so leaks show up in
// /proc/self/fd. Tests set a bus's faults in `buses` directly. Whether the
// bus lock is taken is checked against the kernel in tests/vm/ddc.
struct FakeI2cBus {
  struct Bus {
    std::size_t shortWrite = 0;  // every write takes only this many bytes
    int addressError = 0;        // addressing fails with this errno
    int claimedAddress = -1;     // a kernel driver holds it: plain addressing fails with EBUSY
  };
  // One open bus, and one write as the bus saw it. No address set: -1.
  struct Write {
    unsigned bus = 0;
    int chipAddress = -1;
    std::vector<std::uint8_t> bytes;
    friend bool operator==(const Write&, const Write&) = default;
  };

  static FakeI2cBus& instance();
  // Back to no buses, no failures, nothing recorded.
  void reset();

  std::map<unsigned, Bus> buses;
  std::map<int, Write> descriptors;
  std::vector<Write> writes;
  int lastOpenFlags = 0;
};

}  // namespace testsupport

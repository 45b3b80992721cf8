#pragma once

#include <cstddef>
#include <cstdint>
#include <map>
#include <set>
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
// /proc/self/fd.
class FakeI2cBus {
 public:
  static FakeI2cBus& instance();

  // Back to no buses, no failures, nothing recorded, the fake in force.
  void reset();
  // Lets the library use the C library instead, as in the program.
  void useCLibrary(bool use) { useCLibrary_ = use; }
  bool usesCLibrary() const { return useCLibrary_; }

  void addBus(unsigned bus);
  void removeBus(unsigned bus);
  void refuseWrites(unsigned bus, int error) { buses_.at(bus).writeError = error; }
  void shortenWrites(unsigned bus, std::size_t bytes) { buses_.at(bus).shortWrite = bytes; }
  void failAddressing(unsigned bus, int error) { buses_.at(bus).addressError = error; }
  // A kernel driver holds the address: plain addressing fails with EBUSY.
  void claimAddress(unsigned bus, int address) { buses_.at(bus).claimedAddress = address; }
  // Another program holds the bus lock for the next `attempts` tries (-1: for good).
  void holdLockElsewhere(unsigned bus, int attempts) { buses_.at(bus).lockRefusals = attempts; }

  const std::vector<I2cWrite>& writes() const { return writes_; }
  void clearWrites() { writes_.clear(); }
  std::size_t openDescriptors() const { return descriptors_.size(); }
  bool anyLockHeld() const;
  int lastOpenFlags() const { return lastOpenFlags_; }
  std::uint64_t microsecondsSlept() const { return microsecondsSlept_; }

  int open(const char* path, int flags);
  int ioctl(int fd, unsigned long request, unsigned long argument);
  long write(int fd, const void* data, std::size_t length);
  int flock(int fd, int operation);
  int close(int fd);
  void sleep(unsigned int microseconds) { microsecondsSlept_ += microseconds; }

 private:
  struct Bus {
    int writeError = 0;
    std::size_t shortWrite = 0;
    int addressError = 0;
    int claimedAddress = -1;
    int lockRefusals = 0;
  };
  struct Descriptor {
    unsigned bus = 0;
    int chipAddress = -1;
    bool locked = false;
  };

  Bus* busOf(int fd, Descriptor** descriptor);

  bool useCLibrary_ = false;
  std::map<unsigned, Bus> buses_;
  std::map<int, Descriptor> descriptors_;
  std::vector<I2cWrite> writes_;
  int lastOpenFlags_ = 0;
  std::uint64_t microsecondsSlept_ = 0;
};

}  // namespace testsupport

#pragma once

#include <cstdint>
#include <filesystem>
#include <map>
#include <mutex>
#include <vector>

#include "platform/DisplayPortRegistry.h"

namespace platform {

// The display ports are the DDC buses of external monitors found in sysfs
// (see DisplayBusDiscovery.h); each port's service id is its I2C bus number
// plus one, which IOAVServiceCreateWithService turns back into /dev/i2c-N.
// Iterator ids have the high bit set, so they never collide with service ids.
// Every enumeration reads sysfs afresh, so hot-plugged monitors show up.
class SysfsDisplayPortRegistry : public DisplayPortRegistry {
 public:
  explicit SysfsDisplayPortRegistry(std::filesystem::path sysfsRoot = "/sys");

  std::int32_t getMatchingServices(std::uint32_t& iterator) override;
  std::uint32_t iteratorNext(std::uint32_t iterator) override;
  void objectRelease(std::uint32_t object) override;

 private:
  struct Iterator {
    std::vector<std::uint32_t> services;
    std::size_t next = 0;
  };

  std::uint32_t takeIteratorId();

  const std::filesystem::path sysfsRoot_;
  std::mutex mutex_;
  std::map<std::uint32_t, Iterator> iterators_;
  std::uint32_t nextIteratorId_;
};

}  // namespace platform

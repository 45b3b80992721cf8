#pragma once

#include <cstdint>
#include <string>

#include "platform/ddc/DisplayService.h"

// The display-service library's DDC/CI functions, loaded by name once.
// Create and write are set together or not at all; the read is optional, as
// a library older than it lacks it. The library is never unloaded.
class DisplayServiceLibrary {
 public:
  // Opens the library at `path` with lazy binding, looks up its functions
  // and logs exactly one line saying how create and write went.
  explicit DisplayServiceLibrary(const std::string& path);
  DisplayServiceLibrary(const DisplayServiceLibrary&) = delete;
  DisplayServiceLibrary& operator=(const DisplayServiceLibrary&) = delete;

  bool functionsLoaded() const { return ioavCreate != nullptr && ioavWrite != nullptr; }
  bool readsAvailable() const { return functionsLoaded() && ioavRead != nullptr; }

  // Only to be called when functionsLoaded(). Opens /dev/i2c-<bus>; null when
  // it cannot be opened.
  IOAVServiceRef open(unsigned bus) const;
  std::int32_t writeI2C(IOAVServiceRef object, std::uint32_t chipAddress, std::uint32_t dataAddress,
                        std::uint8_t* buffer, std::uint32_t length) const;
  // Only to be called when readsAvailable().
  std::int32_t readI2C(IOAVServiceRef object, std::uint32_t chipAddress, std::uint8_t* buffer,
                       std::uint32_t length) const;

 private:
  void* coreDisplayHandle = nullptr;
  IOAVServiceCreateWithServiceFunction ioavCreate = nullptr;
  IOAVServiceWriteI2CFunction ioavWrite = nullptr;
  IOAVServiceReadI2CFunction ioavRead = nullptr;
};

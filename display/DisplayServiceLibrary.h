#pragma once

#include <cstdint>
#include <string>

#include "platform/ddc/DisplayService.h"

// The display-service library's two DDC/CI functions, loaded by name once.
// Both are set or neither is; the library is never unloaded.
class DisplayServiceLibrary {
 public:
  // Opens the library at `path` with lazy binding, looks up both functions
  // and logs exactly one line saying how that went.
  explicit DisplayServiceLibrary(const std::string& path);
  DisplayServiceLibrary(const DisplayServiceLibrary&) = delete;
  DisplayServiceLibrary& operator=(const DisplayServiceLibrary&) = delete;

  bool functionsLoaded() const { return ioavCreate != nullptr && ioavWrite != nullptr; }

  // Only to be called when functionsLoaded(). Opens /dev/i2c-<bus>; null when
  // it cannot be opened.
  IOAVServiceRef open(unsigned bus) const;
  std::int32_t writeI2C(IOAVServiceRef object, std::uint32_t chipAddress, std::uint32_t dataAddress,
                        std::uint8_t* buffer, std::uint32_t length) const;

 private:
  void* coreDisplayHandle = nullptr;
  IOAVServiceCreateWithServiceFunction ioavCreate = nullptr;
  IOAVServiceWriteI2CFunction ioavWrite = nullptr;
};

#include "display/DisplayServiceLibrary.h"

#include <dlfcn.h>

#include "platform/loop/Log.h"

DisplayServiceLibrary::DisplayServiceLibrary(const std::string& path) {
  coreDisplayHandle = dlopen(path.c_str(), RTLD_LAZY);
  if (coreDisplayHandle == nullptr) {
    platform::logLine("[DisplayManager] Failed to load CoreDisplay framework");
    return;
  }
  void* create = dlsym(coreDisplayHandle, "IOAVServiceCreateWithService");
  void* write = create == nullptr ? nullptr : dlsym(coreDisplayHandle, "IOAVServiceWriteI2C");
  if (create == nullptr || write == nullptr) {
    platform::logLine("[DisplayManager] Failed to find IOAVService symbols in CoreDisplay");
    return;
  }
  ioavCreate = reinterpret_cast<IOAVServiceCreateWithServiceFunction>(create);
  ioavWrite = reinterpret_cast<IOAVServiceWriteI2CFunction>(write);
  ioavRead =
      reinterpret_cast<IOAVServiceReadI2CFunction>(dlsym(coreDisplayHandle, "IOAVServiceReadI2C"));
  platform::logLine("[DisplayManager] Successfully loaded IOAVService symbols");
}

// The library takes no allocator, and numbers its services from 1: bus + 1.
IOAVServiceRef DisplayServiceLibrary::open(unsigned bus) const {
  return ioavCreate(nullptr, bus + 1);
}

std::int32_t DisplayServiceLibrary::writeI2C(IOAVServiceRef object, std::uint32_t chipAddress,
                                             std::uint32_t dataAddress, std::uint8_t* buffer,
                                             std::uint32_t length) const {
  return ioavWrite(object, chipAddress, dataAddress, buffer, length);
}

// The read sends no data address; the library wants offset 0.
std::int32_t DisplayServiceLibrary::readI2C(IOAVServiceRef object, std::uint32_t chipAddress,
                                            std::uint8_t* buffer, std::uint32_t length) const {
  return ioavRead(object, chipAddress, 0, buffer, length);
}

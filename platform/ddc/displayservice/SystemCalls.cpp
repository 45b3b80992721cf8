#include "platform/ddc/displayservice/SystemCalls.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/ioctl.h>
#include <unistd.h>

extern "C" __attribute__((weak)) const GlimmerboxDisplayServiceSystemCalls*
glimmerboxDisplayServiceSystemCalls(void);

namespace displayservice {
namespace {

int openDevice(const char* path, int flags) { return ::open(path, flags); }

int controlDevice(int fd, unsigned long request, unsigned long argument) {
  return ::ioctl(fd, request, argument);
}

void sleepMicroseconds(unsigned int microseconds) { ::usleep(microseconds); }

constexpr GlimmerboxDisplayServiceSystemCalls kCLibraryCalls = {
    openDevice, controlDevice, ::write, ::flock, ::close, sleepMicroseconds,
};

}  // namespace

const GlimmerboxDisplayServiceSystemCalls& systemCalls() {
  if (glimmerboxDisplayServiceSystemCalls != nullptr) {
    if (const GlimmerboxDisplayServiceSystemCalls* host = glimmerboxDisplayServiceSystemCalls()) {
      return *host;
    }
  }
  return kCLibraryCalls;
}

}  // namespace displayservice

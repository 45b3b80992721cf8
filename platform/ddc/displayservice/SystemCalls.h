#pragma once

// The system calls of the display-service library, gathered in one table so
// that a host process can put the library on a stand-in bus. Each member
// behaves like the C library call of the same name: it returns -1 and sets
// errno on failure.

#include <stddef.h>
#include <sys/types.h>

#ifdef __cplusplus
extern "C" {
#endif

typedef struct GlimmerboxDisplayServiceSystemCalls {
  int (*open)(const char* path, int flags);
  int (*ioctl)(int fd, unsigned long request, unsigned long argument);
  ssize_t (*write)(int fd, const void* data, size_t length);
  int (*flock)(int fd, int operation);
  int (*close)(int fd);
  void (*sleepMicroseconds)(unsigned int microseconds);
} GlimmerboxDisplayServiceSystemCalls;

// Optional, and weak in the library: when the host process (a test, a
// benchmark) defines this function and it returns a table, the library makes
// every system call through that table. Otherwise, and always in the
// program, it uses the C library on the real /dev/i2c-N. This is the only
// override; the library reads no environment variable.
const GlimmerboxDisplayServiceSystemCalls* glimmerboxDisplayServiceSystemCalls(void);

#ifdef __cplusplus
}

namespace displayservice {

// The table in force for the current call: the host's, else the C library's.
const GlimmerboxDisplayServiceSystemCalls& systemCalls();

}  // namespace displayservice
#endif

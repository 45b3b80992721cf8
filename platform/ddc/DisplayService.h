#pragma once

// The C contract of libglimmerbox-displayservice.so, which the program loads
// with dlopen from <dir of executable>/../lib/glimmerbox/ and whose functions
// it looks up by name. The read came later: a library without it still
// creates and writes.

#include <stdint.h>

#ifdef __cplusplus
extern "C" {
#endif

// A display port's DDC/CI channel. Created by IOAVServiceCreateWithService and
// owned by the caller, who releases it exactly once by calling its `release`
// member with the object itself. Other members are private to the library.
typedef struct GlimmerboxAVService {
  void (*release)(struct GlimmerboxAVService* self);
} GlimmerboxAVService;

typedef GlimmerboxAVService* IOAVServiceRef;

// `allocator` is unused (kept for the call's shape). `service` is a non-zero
// service id: the number of a DDC bus (DdcBuses.h) plus one, so service 5
// opens /dev/i2c-4 (read-write, close-on-exec). Returns a new
// object, or null for id 0, or when the bus is gone or access is denied.
IOAVServiceRef IOAVServiceCreateWithService(void* allocator, uint32_t service);

// Writes `dataAddress` followed by `length` bytes of `buffer` to the 7-bit
// `chipAddress`, in one I2C write. Returns 0 when every byte went out,
// otherwise a non-zero status (a negative errno): -EINVAL for a null object,
// an address out of range or more than 255 bytes, -ENXIO or -EIO when the
// device does not take the bytes. Holds an exclusive flock on the bus during
// the write so it never interleaves with another DDC/CI program; when that
// lock stays held elsewhere for about 20 ms it gives up with -EWOULDBLOCK.
// A kernel driver bound to the address does not stop the write.
int32_t IOAVServiceWriteI2C(IOAVServiceRef service, uint32_t chipAddress, uint32_t dataAddress,
                            void* buffer, uint32_t length);

// Reads `length` bytes from the 7-bit `chipAddress` into `buffer`, in one
// plain I2C read (a DDC/CI reply, after its request was written). `offset`
// must be 0: the read sends no data address. Returns 0 when every byte came
// in, otherwise a negative errno as the write does: -EINVAL for a null
// object, a non-zero offset, an address out of range or more than 255 bytes,
// -ENXIO or -EIO when the device does not answer. Holds the same exclusive
// flock on the bus as the write, with the same 20 ms patience.
int32_t IOAVServiceReadI2C(IOAVServiceRef service, uint32_t chipAddress, uint32_t offset,
                           void* buffer, uint32_t length);

typedef IOAVServiceRef (*IOAVServiceCreateWithServiceFunction)(void* allocator, uint32_t service);
typedef int32_t (*IOAVServiceWriteI2CFunction)(IOAVServiceRef service, uint32_t chipAddress,
                                               uint32_t dataAddress, void* buffer, uint32_t length);
typedef int32_t (*IOAVServiceReadI2CFunction)(IOAVServiceRef service, uint32_t chipAddress,
                                              uint32_t offset, void* buffer, uint32_t length);

#ifdef __cplusplus
}
#endif

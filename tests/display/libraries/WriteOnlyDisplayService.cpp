#include "platform/ddc/DisplayService.h"

// Exports create and write but not the read, as libraries older than it do.
extern "C" IOAVServiceRef IOAVServiceCreateWithService(void*, uint32_t) { return nullptr; }
extern "C" int32_t IOAVServiceWriteI2C(IOAVServiceRef, uint32_t, uint32_t, void*, uint32_t) {
  return 0;
}

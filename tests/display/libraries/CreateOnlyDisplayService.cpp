#include "platform/ddc/DisplayService.h"

// Exports the create function but not the write function.
extern "C" IOAVServiceRef IOAVServiceCreateWithService(void*, uint32_t) { return nullptr; }

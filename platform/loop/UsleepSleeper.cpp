#include "platform/loop/UsleepSleeper.h"

#include <unistd.h>

namespace platform {

void UsleepSleeper::sleepMicroseconds(std::uint32_t microseconds) { usleep(microseconds); }

}  // namespace platform

#pragma once

#include <string_view>

namespace platform {

// Writes one diagnostic line to standard output and flushes it at once, so
// the lines of the program appear in order and survive a sudden end.
void logLine(std::string_view line);

}  // namespace platform

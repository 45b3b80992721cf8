#pragma once

#include <chrono>
#include <string>

namespace platform {

// Finds the display to start Qt on before any Qt object exists (Qt aborts
// when its platform cannot connect), waiting up to `patience` for one that
// may still come up, and names its platform in QT_QPA_PLATFORM. Returns the
// one line to tell the user when there is none; empty on success.
std::string prepareSessionDisplay(std::chrono::milliseconds patience);

}  // namespace platform

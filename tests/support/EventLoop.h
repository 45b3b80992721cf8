#pragma once

#include <chrono>
#include <functional>

namespace testsupport {

// Runs the main event loop for the given time.
void runLoopFor(std::chrono::milliseconds duration);

// Runs the main event loop until `done` holds or the timeout passes; returns
// whether `done` held.
bool runLoopUntil(const std::function<bool()>& done, std::chrono::milliseconds timeout);

// Runs the main event loop until everything posted to the main queue before
// this call has run.
void drainMainQueue();

}  // namespace testsupport

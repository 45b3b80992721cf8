#pragma once

#include <functional>

namespace loop {

// Runs `work` later on the main thread, never inside this call. Units run in
// the order they were posted, also when they are posted from several threads.
// Safe to call from any thread once the application object exists.
void postToMain(std::function<void()> work);

}  // namespace loop

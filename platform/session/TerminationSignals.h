#pragma once

namespace platform {

// Turns SIGTERM and SIGINT into QCoreApplication::quit on the main loop, so
// the application ends the normal way and its aboutToQuit work (putting
// gamma ramps back) runs. Call once the application object exists; later
// calls change nothing.
void quitApplicationOnTerminationSignals();

}  // namespace platform

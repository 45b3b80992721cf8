#pragma once

#include <cstdint>
#include <string>

#include "app/CommandLine.h"
#include "platform/session/SessionInstance.h"

class AppDelegate;

// The command line's commands over the instance socket, both ends: the
// command line sends its words, the running program acts on them as the keys
// and the slider do and answers "level N" (or "error ...").
namespace InstanceCommands {

// Runs get, set, up or down against the running program, prints the level,
// and returns the exit status: 1 when none runs or it refused.
int send(const CommandLine& commandLine);

// The running program's answer to a request; `delegate` is null until launch.
platform::SessionInstance::Answer answer(AppDelegate* delegate, const std::string& request);

// What a follower gets after every change.
std::string levelLine(std::int64_t level);

}  // namespace InstanceCommands

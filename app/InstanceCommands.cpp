#include "app/InstanceCommands.h"

#include <chrono>
#include <cstdio>
#include <iterator>
#include <optional>
#include <sstream>
#include <vector>

#include "app/AppDelegate.h"
#include "platform/session/InstanceConnection.h"

namespace InstanceCommands {
namespace {

// A busy program answers late; a hung one never does.
constexpr std::chrono::milliseconds kReplyPatience{3000};
constexpr std::chrono::milliseconds kForever{-1};
constexpr std::string_view kLevel = "level ";
constexpr std::string_view kError = "error ";

int refuse(const std::string& message) {
  std::fprintf(stderr, "glimmerbox: %s\n", message.c_str());
  return 1;
}

// Why there was no level: the program went away, said why, or is an older
// one that takes every connection as a second start.
int explain(const std::optional<std::string>& reply, bool following) {
  if (!reply) {
    return refuse(following ? "the running Glimmerbox quit"
                            : "the running Glimmerbox did not answer; try again in a moment");
  }
  if (reply->starts_with(kError)) {
    return refuse(reply->substr(kError.size()));
  }
  return refuse(
      "the running Glimmerbox is an older version that takes no commands; "
      "quit it and start it again");
}

}  // namespace

int send(const CommandLine& commandLine) {
  platform::InstanceConnection connection(platform::SessionInstance::socketPath());
  if (!connection.connected() || !connection.writeLine(commandLine.request())) {
    return refuse("Glimmerbox is not running; start it first");
  }
  std::optional<std::string> reply = connection.readLine(kReplyPatience);
  while (reply && reply->starts_with(kLevel)) {
    std::printf("%s\n", reply->c_str() + kLevel.size());
    std::fflush(stdout);
    if (!commandLine.follow) {
      return 0;
    }
    reply = connection.readLine(kForever);
  }
  return explain(reply, commandLine.follow);
}

platform::SessionInstance::Answer answer(AppDelegate* delegate, const std::string& request) {
  if (delegate == nullptr) {
    return {.line = "error Glimmerbox is still starting; try again in a moment"};
  }
  std::istringstream words(request);
  const CommandLine commandLine = CommandLine::parse(
      {std::istream_iterator<std::string>(words), std::istream_iterator<std::string>()});
  switch (commandLine.action) {
    case CommandLine::Action::get:
      break;
    case CommandLine::Action::set:
      delegate->setBrightnessLevel(commandLine.level);
      break;
    case CommandLine::Action::up:
    case CommandLine::Action::down:
      delegate->didChangeBrightness(commandLine.action == CommandLine::Action::up,
                                    commandLine.fine);
      break;
    default:
      return {.line = "error the running Glimmerbox does not understand '" + request + "'"};
  }
  return {.line = levelLine(delegate->brightnessLevel()), .follow = commandLine.follow};
}

std::string levelLine(std::int64_t level) { return std::string(kLevel) + std::to_string(level); }

}  // namespace InstanceCommands

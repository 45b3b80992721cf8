#include "app/CommandLine.h"

#include <charconv>
#include <string_view>

namespace {

constexpr std::int64_t kLowestLevel = 0;
constexpr std::int64_t kHighestLevel = 100;

struct Command {
  std::string_view word;
  CommandLine::Action action;
};
constexpr Command kCommands[] = {{"get", CommandLine::Action::get},
                                 {"set", CommandLine::Action::set},
                                 {"up", CommandLine::Action::up},
                                 {"down", CommandLine::Action::down}};

// "-5" is a level out of range to `set`, not an option.
bool isOption(std::string_view argument) {
  return argument.size() > 1 && argument[0] == '-' && !(argument[1] >= '0' && argument[1] <= '9');
}

bool parseLevel(std::string_view text, std::int64_t& level) {
  const char* end = text.data() + text.size();
  const auto [stop, problem] = std::from_chars(text.data(), end, level);
  return problem == std::errc() && stop == end && level >= kLowestLevel && level <= kHighestLevel;
}

CommandLine withAction(CommandLine::Action action) {
  CommandLine line;
  line.action = action;
  return line;
}

CommandLine failure(std::string error) {
  CommandLine line;
  line.error = "glimmerbox: " + std::move(error);
  return line;
}

// Checks what follows the command word against what that command takes.
CommandLine parseCommand(CommandLine line, const std::vector<std::string_view>& operands,
                         const std::vector<std::string_view>& options) {
  using Action = CommandLine::Action;
  const bool stepping = line.action == Action::up || line.action == Action::down;
  for (std::string_view option : options) {
    if (option == "--fine" && stepping) {
      line.fine = true;
    } else if (option == "--follow" && line.action == Action::get) {
      line.follow = true;
    } else if (option == "--fine" || option == "--follow") {
      return failure(std::string(option) + " goes with " +
                     (option == "--fine" ? "up or down" : "get"));
    } else {
      return failure("unknown option '" + std::string(option) + "'");
    }
  }
  if (line.action == Action::set) {
    if (operands.size() != 1) {
      return failure("set takes one level, from 0 to 100");
    }
    if (!parseLevel(operands[0], line.level)) {
      return failure("'" + std::string(operands[0]) + "' is not a level from 0 to 100");
    }
  } else if (!operands.empty()) {
    return failure("unexpected argument '" + std::string(operands[0]) + "'");
  }
  return line;
}

}  // namespace

CommandLine CommandLine::parse(const std::vector<std::string>& arguments) {
  std::vector<std::string_view> operands;
  std::vector<std::string_view> options;
  for (const std::string& argument : arguments) {
    if (argument == "-h" || argument == "--help") {
      return withAction(Action::help);
    }
    if (argument == "--version") {
      return withAction(Action::version);
    }
    (isOption(argument) ? options : operands).push_back(argument);
  }
  if (operands.empty()) {
    return options.empty() ? CommandLine{}
                           : failure("unknown option '" + std::string(options[0]) + "'");
  }
  for (const Command& command : kCommands) {
    if (operands[0] == command.word) {
      return parseCommand(withAction(command.action), {operands.begin() + 1, operands.end()},
                          options);
    }
  }
  return failure("unknown command '" + std::string(operands[0]) + "'");
}

std::string CommandLine::request() const {
  switch (action) {
    case Action::get:
      return follow ? "get --follow" : "get";
    case Action::set:
      return "set " + std::to_string(level);
    case Action::up:
      return fine ? "up --fine" : "up";
    case Action::down:
      return fine ? "down --fine" : "down";
    default:
      return {};
  }
}

const char* CommandLine::usage() {
  return "Usage: glimmerbox [COMMAND]\n"
         "Sets an external monitor's brightness from the system tray.\n"
         "\n"
         "Without a command, starts Glimmerbox in the tray. A command acts on the\n"
         "Glimmerbox already running and prints the level it leaves:\n"
         "  get              print the level\n"
         "  get --follow     print the level, then again on each change\n"
         "  set LEVEL        set the level, from 0 to 100\n"
         "  up [--fine]      one step up: 6 points, 2 with --fine\n"
         "  down [--fine]    one step down: 6 points, 2 with --fine\n"
         "\n"
         "Options:\n"
         "  -h, --help       print this help and exit\n"
         "  --version        print the version and exit\n"
         "\n"
         "Exit status: 0 on success, 1 when no Glimmerbox runs or it refused,\n"
         "2 for arguments it does not understand.\n";
}

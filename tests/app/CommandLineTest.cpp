#include "app/CommandLine.h"

#include <gtest/gtest.h>

#include <sstream>
#include <tuple>

namespace {

using Action = CommandLine::Action;

auto fields(const CommandLine& line) {
  return std::tuple(line.action, line.level, line.fine, line.follow, line.error);
}

CommandLine parseLine(const std::string& line) {
  std::istringstream words(line);
  return CommandLine::parse(
      {std::istream_iterator<std::string>(words), std::istream_iterator<std::string>()});
}

// Good arguments, and the request they send reads back as the same command:
// the running program parses it with the same grammar. --version, and a word
// or a level that is not one, are tried in tests/app/command_line.sh.
TEST(CommandLineTest, UnderstandsCommandsAndSendsThemIntact) {
  const std::pair<std::string, std::tuple<Action, std::int64_t, bool, bool>> cases[] = {
      {"", {Action::run, 0, false, false}},
      {"--help", {Action::help, 0, false, false}},
      {"set 500 -h", {Action::help, 0, false, false}},
      {"get --follow", {Action::get, 0, false, true}},
      {"set 0", {Action::set, 0, false, false}},
      {"set 100", {Action::set, 100, false, false}},
      {"up", {Action::up, 0, false, false}},
      {"--fine up", {Action::up, 0, true, false}},
      {"down --fine", {Action::down, 0, true, false}},
  };
  for (const auto& [arguments, expected] : cases) {
    const CommandLine line = parseLine(arguments);
    const auto [action, level, fine, follow] = expected;
    EXPECT_EQ(fields(line), std::tuple(action, level, fine, follow, "")) << arguments;
    if (action != Action::run && action != Action::help) {
      EXPECT_EQ(fields(parseLine(line.request())), fields(line)) << arguments;
    }
  }
}

// Each mistake is one line that names what was wrong; main exits 2 on it.
TEST(CommandLineTest, RefusesWhatItDoesNotUnderstand) {
  const std::pair<std::string, std::string> cases[] = {
      {"set 101", "'101' is not a level"},
      {"set -1", "'-1' is not a level"},
      {"set 99999999999999999999", "is not a level"},
      {"set", "set takes one level"},
      {"set 1 2", "set takes one level"},
      {"set 50 --fine", "--fine goes with up or down"},
      {"up --follow", "--follow goes with get"},
      {"get now", "unexpected argument 'now'"},
      {"up -x", "unknown option '-x'"},
  };
  for (const auto& [arguments, mentions] : cases) {
    const std::string error = parseLine(arguments).error;
    EXPECT_TRUE(error.starts_with("glimmerbox: ") && error.find('\n') == std::string::npos &&
                error.find(mentions) != std::string::npos)
        << arguments << " -> " << error;
  }
}

}  // namespace

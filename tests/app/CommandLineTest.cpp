#include "app/CommandLine.h"

#include <gtest/gtest.h>

#include <sstream>

namespace {

using Action = CommandLine::Action;

struct Case {
  std::vector<std::string> arguments;
  Action action;
  std::int64_t level = 0;
  bool fine = false;
  bool follow = false;
};

std::vector<std::string> words(const std::string& line) {
  std::istringstream stream(line);
  return {std::istream_iterator<std::string>(stream), std::istream_iterator<std::string>()};
}

// Good arguments, and the request they send reads back as the same command:
// the running program parses it with the same grammar.
TEST(CommandLineTest, UnderstandsCommandsAndSendsThemIntact) {
  const Case cases[] = {
      {{}, Action::run},
      {{"--help"}, Action::help},
      {{"set", "500", "-h"}, Action::help},
      {{"--version"}, Action::version},
      {{"get"}, Action::get},
      {{"get", "--follow"}, Action::get, 0, false, true},
      {{"set", "0"}, Action::set, 0},
      {{"set", "100"}, Action::set, 100},
      {{"set", "40"}, Action::set, 40},
      {{"up"}, Action::up},
      {{"--fine", "up"}, Action::up, 0, true},
      {{"down", "--fine"}, Action::down, 0, true},
  };
  for (const Case& c : cases) {
    const CommandLine line = CommandLine::parse(c.arguments);
    SCOPED_TRACE(testing::PrintToString(c.arguments));
    EXPECT_EQ(line.error, "");
    EXPECT_EQ(line.action, c.action);
    EXPECT_EQ(line.level, c.level);
    EXPECT_EQ(line.fine, c.fine);
    EXPECT_EQ(line.follow, c.follow);
    if (c.action != Action::run && c.action != Action::help && c.action != Action::version) {
      const CommandLine sent = CommandLine::parse(words(line.request()));
      EXPECT_EQ(sent.action, line.action);
      EXPECT_EQ(sent.level, line.level);
      EXPECT_EQ(sent.fine, line.fine);
      EXPECT_EQ(sent.follow, line.follow);
    }
  }
}

// Each mistake is one line that names what was wrong.
TEST(CommandLineTest, RefusesWhatItDoesNotUnderstand) {
  const std::pair<std::vector<std::string>, std::string> cases[] = {
      {{"set", "101"}, "'101' is not a level"},
      {{"set", "-1"}, "'-1' is not a level"},
      {{"set", "4x"}, "'4x' is not a level"},
      {{"set", "99999999999999999999"}, "is not a level"},
      {{"set"}, "set takes one level"},
      {{"set", "1", "2"}, "set takes one level"},
      {{"set", "50", "--fine"}, "--fine goes with up or down"},
      {{"up", "--follow"}, "--follow goes with get"},
      {{"get", "now"}, "unexpected argument 'now'"},
      {{"brighter"}, "unknown command 'brighter'"},
      {{"--bogus"}, "unknown option '--bogus'"},
      {{"up", "-x"}, "unknown option '-x'"},
  };
  for (const auto& [arguments, mentions] : cases) {
    const std::string error = CommandLine::parse(arguments).error;
    SCOPED_TRACE(testing::PrintToString(arguments));
    EXPECT_TRUE(error.starts_with("glimmerbox: ")) << error;
    EXPECT_NE(error.find(mentions), std::string::npos) << error;
    EXPECT_EQ(error.find('\n'), std::string::npos);
  }
}

}  // namespace

#include "platform/DesktopEntry.h"

#include <gtest/gtest.h>

#include <string>

namespace {

using platform::DesktopEntry;

DesktopEntry entryWithExec(const std::string& execValue) {
  return DesktopEntry::parse("[Desktop Entry]\nExec=" + execValue + "\n");
}

// Where `exec` is given, desktops expect exactly that quoting and escaping.
TEST(DesktopEntry, ExecOfAnyPathStartsExactlyThatPath) {
  const std::pair<const char*, const char*> cases[] = {
      {"/usr/bin/glimmerbox", "/usr/bin/glimmerbox"},
      {"/home/a b/glimmerbox", "\"/home/a b/glimmerbox\""},
      {"/tmp/a\\b", "\"/tmp/a\\\\\\\\b\""},
      {"/tmp/a$b", "\"/tmp/a\\\\$b\""},
      {"/tmp/50%/gb", "/tmp/50%%/gb"},
      {"/tmp/say \"hi\"/glimmerbox", nullptr},
      {"/tmp/$HOME/glimmerbox", nullptr},
      {"/tmp/tick`s/glimmerbox", nullptr},
      {"/tmp/tab\there/gb", nullptr},
      {"/tmp/new\nline/gb", nullptr},
      {"/tmp/it's (mine) #1/gb", nullptr},
      {"/tmp/%%u/glimmerbox", nullptr},
      {"/tmp/end\\", nullptr},
  };
  for (const auto& [path, expected] : cases) {
    const std::string exec = DesktopEntry::execValueFor(path);
    EXPECT_EQ(exec.find('\n'), std::string::npos) << "a line break would end the entry: " << exec;
    EXPECT_EQ(entryWithExec(exec).execProgram(), std::filesystem::path(path)) << exec;
    EXPECT_TRUE(expected == nullptr || exec == expected) << exec;
  }
}

TEST(DesktopEntry, ReadsOnlyTheMainGroup) {
  const DesktopEntry entry = DesktopEntry::parse(
      "# comment\n"
      "[Desktop Action other]\n"
      "Exec=/usr/bin/other\n"
      "Hidden=true\n"
      "[Desktop Entry]\n"
      "  Name = Glimmerbox \n"
      "Exec=/usr/bin/glimmerbox --flag\n"
      "Exec[de]=/usr/bin/fremd\n");
  EXPECT_EQ(entry.value("Name"), "Glimmerbox");
  EXPECT_EQ(entry.execProgram(), std::filesystem::path("/usr/bin/glimmerbox"));
  EXPECT_FALSE(entry.value("Hidden"));
}

TEST(DesktopEntry, ExecWithoutAProgramStartsNothing) {
  for (const char* exec : {"", "   ", "\"/unterminated/quote", "\"\""}) {
    EXPECT_FALSE(entryWithExec(exec).execProgram()) << exec;
  }
  EXPECT_FALSE(DesktopEntry::parse("[Desktop Entry]\nName=x\n").execProgram());
}

}  // namespace

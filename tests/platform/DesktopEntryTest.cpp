#include "platform/DesktopEntry.h"

#include <gtest/gtest.h>

#include <string>

namespace {

using platform::DesktopEntry;

DesktopEntry entryWithExec(const std::string& execValue) {
  return DesktopEntry::parse("[Desktop Entry]\nExec=" + execValue + "\n");
}

TEST(DesktopEntry, ExecOfAnyPathStartsExactlyThatPath) {
  const char* paths[] = {
      "/usr/bin/glimmerbox",    "/home/a b/bin/glimmerbox", "/tmp/say \"hi\"/glimmerbox",
      "/tmp/$HOME/glimmerbox",  "/tmp/back\\slash/gb",      "/tmp/100%/glimmerbox",
      "/tmp/tick`s/glimmerbox", "/tmp/tab\there/gb",        "/tmp/new\nline/gb",
      "/tmp/it's (mine) #1/gb", "/tmp/%%u/glimmerbox",      "/tmp/end\\",
  };
  for (const char* path : paths) {
    const std::string exec = DesktopEntry::execValueFor(path);
    EXPECT_EQ(exec.find('\n'), std::string::npos) << "a line break would end the entry: " << exec;
    EXPECT_EQ(entryWithExec(exec).execProgram(), std::filesystem::path(path)) << exec;
  }
}

TEST(DesktopEntry, QuotesAndEscapesExecTheWayDesktopsExpect) {
  struct Case {
    const char* path;
    const char* exec;
  } cases[] = {
      {"/usr/bin/glimmerbox", "/usr/bin/glimmerbox"},
      {"/home/a b/glimmerbox", "\"/home/a b/glimmerbox\""},
      {"/tmp/a\\b", "\"/tmp/a\\\\\\\\b\""},
      {"/tmp/a$b", "\"/tmp/a\\\\$b\""},
      {"/tmp/50%/gb", "/tmp/50%%/gb"},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(DesktopEntry::execValueFor(c.path), c.exec) << c.path;
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

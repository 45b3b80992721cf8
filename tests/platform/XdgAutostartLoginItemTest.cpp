#include "platform/desktop/XdgAutostartLoginItem.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>
#include <tuple>

#include "platform/desktop/DesktopEntry.h"

namespace {

namespace fs = std::filesystem;
using platform::DesktopEntry;
using platform::XdgAutostartLoginItem;
using Status = platform::LoginItemService::Status;

const fs::path kExecutable = "/opt/glimmer box/bin/glimmerbox";

// Where `expected` is given, desktops expect exactly that quoting and escaping.
TEST(DesktopEntry, ExecOfAnyPathStartsExactlyThatPath) {
  const std::pair<const char*, const char*> cases[] = {
      {"/usr/bin/glimmerbox", "/usr/bin/glimmerbox"},
      {"/home/a b/glimmerbox", "\"/home/a b/glimmerbox\""},
      {"/tmp/a\\b", "\"/tmp/a\\\\\\\\b\""},
      {"/tmp/a$b", "\"/tmp/a\\\\$b\""},
      {"/tmp/50%/gb", "/tmp/50%%/gb"},
      {"/tmp/say \"hi\"/glimmerbox", nullptr},
      {"/tmp/new\nline/gb", nullptr},
      {"/tmp/%%u/glimmerbox", nullptr},
  };
  for (const auto& [path, expected] : cases) {
    const std::string exec = DesktopEntry::execValueFor(path);
    const DesktopEntry entry = DesktopEntry::parse("[Desktop Entry]\nExec=" + exec + "\n");
    EXPECT_EQ(entry.execProgram(), fs::path(path)) << exec;
    EXPECT_TRUE(expected == nullptr || exec == expected) << exec;
  }
  for (const char* exec : {"", "   ", "\"/unterminated/quote", "\"\""}) {
    EXPECT_FALSE(DesktopEntry::parse("[Desktop Entry]\nExec=" + std::string(exec)).execProgram());
  }
}

// The test process's private config home; each case empties its autostart
// folder first.
fs::path dir() { return fs::path(std::getenv("XDG_CONFIG_HOME")) / "autostart"; }
fs::path entry() { return dir() / "glimmerbox.desktop"; }
void writeEntry(const std::string& text) {
  fs::create_directories(dir());
  std::ofstream(entry()) << text;
}

TEST(XdgAutostartLoginItem, EnabledOnlyWhenTheEntryIsOursAndSwitchedOn) {
  const std::string exec = "Exec=" + DesktopEntry::execValueFor(kExecutable) + "\n";
  const std::string ours = "[Desktop Entry]\n" + exec;
  const std::pair<std::string, Status> cases[] = {
      // Only the main group counts; keys are trimmed and localised ones are others.
      {"[Desktop Action x]\nHidden=true\n" + ours + "Exec[de]=/usr/bin/fremd\n", Status::enabled},
      {"[Desktop Entry]\n  Exec = " + DesktopEntry::execValueFor(kExecutable) + " --flag\n",
       Status::enabled},
      {ours + "Hidden=1\n", Status::notRegistered},
      {ours + "Hidden=yes\n", Status::enabled},  // Not a boolean.
      {ours + "X-GNOME-Autostart-enabled=false\n", Status::notRegistered},
      {"[Desktop Entry]\nExec=/usr/bin/glimmerbox\n", Status::notRegistered},
      {"[Desktop Entry]\nExec=/opt/glimmer box/bin/glimmerbox\n", Status::notRegistered},
  };
  fs::remove_all(dir());
  for (const auto& [text, expected] : cases) {
    writeEntry(text);
    EXPECT_EQ(XdgAutostartLoginItem(entry(), kExecutable).status(), expected) << text;
  }
}

TEST(XdgAutostartLoginItem, RegistersOverAForeignEntryAtomicallyAndUnregisters) {
  fs::remove_all(dir());
  writeEntry("[Desktop Entry]\nExec=/usr/bin/glimmerbox\nHidden=true\n");
  XdgAutostartLoginItem item(entry(), kExecutable);
  ASSERT_FALSE(item.registerItem());
  EXPECT_EQ(item.status(), Status::enabled);
  EXPECT_EQ(std::distance(fs::directory_iterator(dir()), {}), 1) << "a temporary file was left";
  // Sessions skip entries their validator rejects; a warning is a fault too.
  const std::string validate = "out=$(desktop-file-validate '" + entry().string() +
                               "' 2>&1) && [ -z \"$out\" ] || { echo \"$out\"; exit 1; }";
  EXPECT_EQ(std::system(validate.c_str()), 0);
  EXPECT_FALSE(item.unregisterItem());
  EXPECT_EQ(item.status(), Status::notRegistered);
  const auto error = item.unregisterItem();
  ASSERT_TRUE(error);
  EXPECT_NE(error->description.find(entry().string() + " does not exist"), std::string::npos);
}

// Tests run as root, where permission bits stop no write; a file or a
// directory in the way makes the failures real.
TEST(XdgAutostartLoginItem, ExplainsWhyItCouldNotRegisterAndLeavesNoTemporaryFile) {
  const std::tuple<void (*)(), fs::path, std::string> cases[] = {
      {[] { std::ofstream(dir()) << "not a directory"; }, kExecutable, dir()},
      {[] { fs::create_directories(entry() / "in-the-way"); }, kExecutable, entry()},
      {[] {}, fs::path(), "executable"},
  };
  for (const auto& [arrange, executable, mentions] : cases) {
    fs::remove_all(dir());
    arrange();
    const auto error = XdgAutostartLoginItem(entry(), executable).registerItem();
    ASSERT_TRUE(error) << mentions;
    EXPECT_NE(error->description.find(mentions), std::string::npos) << error->description;
    const long files =
        fs::is_directory(dir()) ? std::distance(fs::directory_iterator(dir()), {}) : 0;
    EXPECT_LE(files, 1) << "a temporary file was left behind: " << mentions;
  }
}

TEST(XdgAutostartLoginItemPath, FollowsXdgConfigHomeAndFallsBackToHomeConfig) {
  const std::string configHome = std::getenv("XDG_CONFIG_HOME");  // Set for every test.
  setenv("HOME", "/home/user", 0);
  for (const auto& [xdg, expected] : {std::pair{"/cfg", "/cfg/autostart/glimmerbox.desktop"},
                                      {"relative/cfg", "/.config/autostart/glimmerbox.desktop"}}) {
    setenv("XDG_CONFIG_HOME", xdg, 1);
    const std::string home = xdg[0] == '/' ? "" : std::getenv("HOME");
    EXPECT_EQ(XdgAutostartLoginItem::userEntryPath(), fs::path(home + expected)) << xdg;
  }
  setenv("XDG_CONFIG_HOME", configHome.c_str(), 1);
}

}  // namespace

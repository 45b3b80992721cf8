#include "platform/desktop/XdgAutostartLoginItem.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>

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
    EXPECT_EQ(exec.find('\n'), std::string::npos) << "a line break would end the entry: " << exec;
    const DesktopEntry entry = DesktopEntry::parse("[Desktop Entry]\nExec=" + exec + "\n");
    EXPECT_EQ(entry.execProgram(), fs::path(path)) << exec;
    EXPECT_TRUE(expected == nullptr || exec == expected) << exec;
  }
  for (const char* exec : {"", "   ", "\"/unterminated/quote", "\"\""}) {
    EXPECT_FALSE(DesktopEntry::parse("[Desktop Entry]\nExec=" + std::string(exec)).execProgram());
  }
}

// Each case starts from an empty config home of its own.
class XdgAutostartLoginItemTest : public ::testing::Test {
 public:
  void SetUp() override {
    TearDown();
    std::string pattern = (fs::temp_directory_path() / "glimmerbox-autostart-XXXXXX").string();
    ASSERT_NE(mkdtemp(pattern.data()), nullptr);
    home_ = pattern;
  }
  void TearDown() override {
    if (!home_.empty()) fs::remove_all(home_);
  }

  fs::path dir() const { return home_ / "autostart"; }
  fs::path entry() const { return dir() / "glimmerbox.desktop"; }
  void writeEntry(const std::string& text) const {
    fs::create_directories(dir());
    std::ofstream(entry()) << text;
  }

  fs::path home_;
};

TEST_F(XdgAutostartLoginItemTest, EnabledOnlyWhenTheEntryIsOursAndSwitchedOn) {
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
  for (const auto& [text, expected] : cases) {
    writeEntry(text);
    EXPECT_EQ(XdgAutostartLoginItem(entry(), kExecutable).status(), expected) << text;
  }
}

TEST_F(XdgAutostartLoginItemTest, RegistersOverAForeignEntryAtomicallyAndUnregisters) {
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
TEST_F(XdgAutostartLoginItemTest, ExplainsWhyItCouldNotRegisterAndLeavesNoTemporaryFile) {
  const struct {
    void (*arrange)(XdgAutostartLoginItemTest&);
    fs::path executable;
    std::string mentions;  // A leading '/' is below the config home.
  } cases[] = {
      {[](auto& t) { std::ofstream(t.dir()) << "not a directory"; }, kExecutable, "/autostart"},
      {[](auto& t) { fs::create_directories(t.entry() / "in-the-way"); }, kExecutable,
       "/autostart/glimmerbox.desktop"},
      {[](auto&) {}, fs::path(), "executable"},
  };
  for (const auto& c : cases) {
    SetUp();
    c.arrange(*this);
    const auto error = XdgAutostartLoginItem(entry(), c.executable).registerItem();
    const std::string mentions =
        c.mentions.starts_with('/') ? home_.string() + c.mentions : c.mentions;
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

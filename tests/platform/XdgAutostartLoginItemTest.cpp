#include "platform/XdgAutostartLoginItem.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>
#include <functional>
#include <sstream>

#include "platform/DesktopEntry.h"

namespace {

namespace fs = std::filesystem;
using platform::XdgAutostartLoginItem;
using Status = platform::LoginItemService::Status;

const fs::path kExecutable = "/opt/glimmer box/bin/glimmerbox";

class XdgAutostartLoginItemTest : public ::testing::Test {
 public:
  void SetUp() override {
    std::error_code ignored;
    fs::remove_all(home_, ignored);  // The one of the case before, for table tests.
    std::string pattern = (fs::temp_directory_path() / "glimmerbox-autostart-XXXXXX").string();
    ASSERT_NE(mkdtemp(pattern.data()), nullptr);
    home_ = pattern;
  }
  void TearDown() override { fs::remove_all(home_); }

  fs::path dir() const { return home_ / "autostart"; }
  fs::path entry() const { return dir() / "glimmerbox.desktop"; }
  void writeEntry(const std::string& text) const {
    fs::create_directories(dir());
    std::ofstream(entry()) << text;
  }
  long filesInDir() const {
    return fs::is_directory(dir()) ? std::distance(fs::directory_iterator(dir()), {}) : 0;
  }

  fs::path home_;
};

TEST_F(XdgAutostartLoginItemTest, EnabledOnlyWhenTheEntryIsOursAndSwitchedOn) {
  const std::string exec = "Exec=" + platform::DesktopEntry::execValueFor(kExecutable) + "\n";
  const std::string ours = "[Desktop Entry]\n" + exec;
  struct Case {
    const char* name;
    std::string text;
    Status expected;
  } cases[] = {
      {"ours", ours, Status::enabled},
      {"explicitly on", ours + "Hidden=false\n", Status::enabled},
      {"hidden", ours + "Hidden=true\n", Status::notRegistered},
      {"hidden as a number", ours + "Hidden=1\n", Status::notRegistered},
      {"not a boolean", ours + "Hidden=yes\n", Status::enabled},
      {"gnome switch off", ours + "X-GNOME-Autostart-enabled=false\n", Status::notRegistered},
      {"another program", "[Desktop Entry]\nExec=/usr/bin/glimmerbox\n", Status::notRegistered},
      {"unquoted path with a space", "[Desktop Entry]\nExec=/opt/glimmer box/bin/glimmerbox\n",
       Status::notRegistered},
      {"ours only in another group", "[Other]\n" + exec, Status::notRegistered},
      {"empty file", "", Status::notRegistered},
  };
  for (const Case& c : cases) {
    writeEntry(c.text);
    EXPECT_EQ(XdgAutostartLoginItem(entry(), kExecutable).status(), c.expected) << c.name;
  }
}

// Tests run as root, where permission bits stop no write; a file or a
// directory in the way makes the failures real.
TEST_F(XdgAutostartLoginItemTest, RegistersAtomicallyUnregistersAndExplainsEachFailure) {
  struct Case {
    const char* name;
    std::function<void(XdgAutostartLoginItemTest&)> arrange;
    bool unregister;
    fs::path executable;
    std::string errorMentions;  // empty: succeeds; a leading '/' is below the config home
    Status after;
    long filesAfter;
  };
  const auto nothing = [](XdgAutostartLoginItemTest&) {};
  const std::vector<Case> cases = {
      {"register creates the directory", nothing, false, kExecutable, "", Status::enabled, 1},
      {"register replaces a switched-off entry",
       [](auto& t) { t.writeEntry("[Desktop Entry]\nExec=/usr/bin/glimmerbox\nHidden=true\n"); },
       false, kExecutable, "", Status::enabled, 1},
      {"directory cannot exist", [](auto& t) { std::ofstream(t.dir()) << "not a directory"; },
       false, kExecutable, "/autostart", Status::notRegistered, 0},
      {"entry cannot be replaced",
       [](auto& t) { fs::create_directories(t.entry() / "in-the-way"); }, false, kExecutable,
       "/autostart/glimmerbox.desktop", Status::notRegistered, 1},
      {"unknown executable", nothing, false, fs::path(), "executable", Status::notRegistered, 0},
      {"unregister removes the entry",
       [](auto& t) { ASSERT_FALSE(XdgAutostartLoginItem(t.entry(), kExecutable).registerItem()); },
       true, kExecutable, "", Status::notRegistered, 0},
      {"unregister without an entry", nothing, true, kExecutable,
       "/autostart/glimmerbox.desktop does not exist", Status::notRegistered, 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    SetUp();
    c.arrange(*this);
    XdgAutostartLoginItem item(entry(), c.executable);
    const auto error = c.unregister ? item.unregisterItem() : item.registerItem();
    const std::string mentions =
        c.errorMentions.starts_with('/') ? home_.string() + c.errorMentions : c.errorMentions;
    EXPECT_EQ(error.has_value(), !mentions.empty());
    const std::string description = error ? error->description : "";
    EXPECT_NE(description.find(mentions), std::string::npos) << description;
    EXPECT_EQ(XdgAutostartLoginItem(entry(), kExecutable).status(), c.after);
    EXPECT_EQ(filesInDir(), c.filesAfter);  // No temporary file is left behind.
    if (c.after == Status::enabled) {
      std::ostringstream text;
      text << std::ifstream(entry()).rdbuf();
      EXPECT_EQ(platform::DesktopEntry::parse(text.str()).value("Type"), "Application");
    }
  }
}

TEST(XdgAutostartLoginItemPath, FollowsXdgConfigHomeAndFallsBackToHomeConfig) {
  const std::string savedXdg = std::getenv("XDG_CONFIG_HOME") ? std::getenv("XDG_CONFIG_HOME") : "";
  const std::string savedHome = std::getenv("HOME") ? std::getenv("HOME") : "";
  setenv("HOME", "/home/user", 1);
  for (const auto& [xdg, expected] :
       {std::pair{"/cfg", "/cfg/autostart/glimmerbox.desktop"},
        {"", "/home/user/.config/autostart/glimmerbox.desktop"},
        {"relative/cfg", "/home/user/.config/autostart/glimmerbox.desktop"}}) {
    setenv("XDG_CONFIG_HOME", xdg, 1);
    EXPECT_EQ(XdgAutostartLoginItem::userEntryPath(), fs::path(expected)) << xdg;
  }
  setenv("XDG_CONFIG_HOME", savedXdg.c_str(), 1);
  setenv("HOME", savedHome.c_str(), 1);
}

}  // namespace

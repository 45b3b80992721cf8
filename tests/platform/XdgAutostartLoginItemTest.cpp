#include "platform/XdgAutostartLoginItem.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>
#include <sstream>

#include "platform/DesktopEntry.h"

namespace {

namespace fs = std::filesystem;
using platform::XdgAutostartLoginItem;
using Status = platform::LoginItemService::Status;

const fs::path kExecutable = "/opt/glimmer box/bin/glimmerbox";

class XdgAutostartLoginItemTest : public ::testing::Test {
 protected:
  void SetUp() override {
    std::string pattern = (fs::temp_directory_path() / "glimmerbox-autostart-XXXXXX").string();
    ASSERT_NE(mkdtemp(pattern.data()), nullptr);
    configHome_ = pattern;
  }
  void TearDown() override { fs::remove_all(configHome_); }

  fs::path autostartDir() const { return configHome_ / "autostart"; }
  fs::path entryPath() const { return autostartDir() / "glimmerbox.desktop"; }
  XdgAutostartLoginItem item() const { return {entryPath(), kExecutable}; }

  void writeEntry(const std::string& text) const {
    fs::create_directories(autostartDir());
    std::ofstream(entryPath()) << text;
  }
  std::string readEntry() const {
    std::ostringstream text;
    text << std::ifstream(entryPath()).rdbuf();
    return text.str();
  }

  fs::path configHome_;
};

TEST_F(XdgAutostartLoginItemTest, EnabledOnlyWhenTheEntryIsOursAndSwitchedOn) {
  const std::string ours = "Exec=" + platform::DesktopEntry::execValueFor(kExecutable) + "\n";
  struct Case {
    const char* name;
    std::string text;
    Status expected;
  } cases[] = {
      {"ours", "[Desktop Entry]\n" + ours, Status::enabled},
      {"explicitly on", "[Desktop Entry]\n" + ours + "Hidden=false\n", Status::enabled},
      {"hidden", "[Desktop Entry]\n" + ours + "Hidden=true\n", Status::notRegistered},
      {"hidden as a number", "[Desktop Entry]\n" + ours + "Hidden=1\n", Status::notRegistered},
      {"not a boolean", "[Desktop Entry]\n" + ours + "Hidden=yes\n", Status::enabled},
      {"gnome switch off", "[Desktop Entry]\n" + ours + "X-GNOME-Autostart-enabled=false\n",
       Status::notRegistered},
      {"another program", "[Desktop Entry]\nExec=/usr/bin/glimmerbox\n", Status::notRegistered},
      {"unquoted path with a space", "[Desktop Entry]\nExec=/opt/glimmer box/bin/glimmerbox\n",
       Status::notRegistered},
      {"ours only in another group", "[Other]\n" + ours, Status::notRegistered},
      {"empty file", "", Status::notRegistered},
  };
  for (const Case& c : cases) {
    writeEntry(c.text);
    EXPECT_EQ(item().status(), c.expected) << c.name;
  }
}

TEST_F(XdgAutostartLoginItemTest, RegisterCreatesTheDirectoryAndAnEnabledEntry) {
  auto loginItem = item();
  EXPECT_EQ(loginItem.status(), Status::notRegistered);
  EXPECT_FALSE(loginItem.registerItem());
  EXPECT_EQ(loginItem.status(), Status::enabled);
  const auto entry = platform::DesktopEntry::parse(readEntry());
  EXPECT_EQ(entry.value("Type"), "Application");
  EXPECT_EQ(entry.value("Exec"), "\"/opt/glimmer box/bin/glimmerbox\"");
}

TEST_F(XdgAutostartLoginItemTest, RegisterReplacesASwitchedOffEntryAndLeavesNoTemporaryFile) {
  writeEntry("[Desktop Entry]\nExec=/usr/bin/glimmerbox\nHidden=true\n");
  auto loginItem = item();
  EXPECT_FALSE(loginItem.registerItem());
  EXPECT_EQ(loginItem.status(), Status::enabled);
  EXPECT_EQ(std::distance(fs::directory_iterator(autostartDir()), fs::directory_iterator()), 1);
}

// Tests run as root, where permission bits stop no write; a file or a
// directory in the way makes the failures real.
TEST_F(XdgAutostartLoginItemTest, RegisterFailsReadablyWhenTheDirectoryCannotExist) {
  std::ofstream(autostartDir()) << "not a directory";
  auto loginItem = item();
  const auto error = loginItem.registerItem();
  ASSERT_TRUE(error);
  EXPECT_NE(error->description.find(autostartDir().string()), std::string::npos)
      << error->description;
  EXPECT_EQ(loginItem.status(), Status::notRegistered);
}

TEST_F(XdgAutostartLoginItemTest, RegisterFailsAndCleansUpWhenTheEntryCannotBeReplaced) {
  fs::create_directories(entryPath() / "in-the-way");
  const auto error = item().registerItem();
  ASSERT_TRUE(error);
  EXPECT_NE(error->description.find(entryPath().string()), std::string::npos) << error->description;
  EXPECT_EQ(std::distance(fs::directory_iterator(autostartDir()), fs::directory_iterator()), 1);
}

TEST_F(XdgAutostartLoginItemTest, RegisterRefusesAnUnknownExecutable) {
  XdgAutostartLoginItem loginItem(entryPath(), fs::path());
  EXPECT_TRUE(loginItem.registerItem());
  EXPECT_FALSE(fs::exists(entryPath()));
}

TEST_F(XdgAutostartLoginItemTest, UnregisterRemovesTheEntry) {
  auto loginItem = item();
  ASSERT_FALSE(loginItem.registerItem());
  EXPECT_FALSE(loginItem.unregisterItem());
  EXPECT_FALSE(fs::exists(entryPath()));
  EXPECT_EQ(loginItem.status(), Status::notRegistered);
}

TEST_F(XdgAutostartLoginItemTest, UnregisterWithoutAnEntryFailsReadably) {
  const auto error = item().unregisterItem();
  ASSERT_TRUE(error);
  EXPECT_NE(error->description.find("does not exist"), std::string::npos) << error->description;
}

TEST(XdgAutostartLoginItemPath, FollowsXdgConfigHomeAndFallsBackToHomeConfig) {
  const std::string savedXdg = std::getenv("XDG_CONFIG_HOME") ? std::getenv("XDG_CONFIG_HOME") : "";
  const std::string savedHome = std::getenv("HOME") ? std::getenv("HOME") : "";
  setenv("HOME", "/home/user", 1);
  struct Case {
    const char* xdg;
    const char* expected;
  } cases[] = {
      {"/cfg", "/cfg/autostart/glimmerbox.desktop"},
      {"", "/home/user/.config/autostart/glimmerbox.desktop"},
      {"relative/cfg", "/home/user/.config/autostart/glimmerbox.desktop"},
  };
  for (const Case& c : cases) {
    setenv("XDG_CONFIG_HOME", c.xdg, 1);
    EXPECT_EQ(XdgAutostartLoginItem::userEntryPath(), fs::path(c.expected)) << c.xdg;
  }
  setenv("XDG_CONFIG_HOME", savedXdg.c_str(), 1);
  setenv("HOME", savedHome.c_str(), 1);
}

}  // namespace

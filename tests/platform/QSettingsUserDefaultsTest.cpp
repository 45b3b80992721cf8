#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <memory>
#include <optional>
#include <sstream>
#include <string>

#include "platform/QSettingsUserDefaults.h"
#include "tests/support/EventLoop.h"

namespace {

const std::string kKey = "Glimmerbox_Brightness";
const std::string kGarbage("\x00\xff[[General\n\x01=\n", 15);

std::filesystem::path settingsFile() {
  return std::filesystem::path(std::getenv("XDG_CONFIG_HOME")) / "Glimmerbox" / "Glimmerbox.conf";
}

std::string fileText() {
  std::stringstream text;
  text << std::ifstream(settingsFile()).rdbuf();
  return text.str();
}

std::int64_t freshRead() { return platform::QSettingsUserDefaults().integerForKey(kKey); }

// Nothing: a directory where the file belongs. QSettings rereads a file only
// when its size or modification time changed, so each write gets a time of its own.
void writeFile(const std::optional<std::string>& text) {
  static int writes = 0;
  std::filesystem::remove_all(settingsFile());
  std::filesystem::create_directories(text ? settingsFile().parent_path() : settingsFile());
  if (!text) return;
  std::ofstream(settingsFile(), std::ios::binary) << *text;
  std::filesystem::last_write_time(
      settingsFile(), std::filesystem::file_time_type::clock::now() + std::chrono::hours(++writes));
}

class QSettingsUserDefaultsTest : public testing::Test {
 protected:
  void SetUp() override { std::filesystem::remove_all(settingsFile()); }
  void TearDown() override { std::filesystem::remove_all(settingsFile()); }
};

TEST_F(QSettingsUserDefaultsTest, ReadsWholeNumbersAndZeroForAnythingElse) {
  const std::string entry = "[General]\nGlimmerbox_Brightness=";
  const std::pair<std::optional<std::string>, std::int64_t> cases[] = {
      {entry + "40\n", 40},  {entry + "-5\n", -5}, {"[General]\nOther=40\n", 0},
      {entry + "\n", 0},     {entry + "abc\n", 0}, {entry + "12abc\n", 0},
      {entry + "12.5\n", 0}, {kGarbage, 0},        {std::nullopt, 0},
  };
  for (const auto& [text, expected] : cases) {
    writeFile(text);
    EXPECT_EQ(freshRead(), expected) << text.value_or("unreadable");
  }
}

TEST_F(QSettingsUserDefaultsTest, SavedValueIsOnDiskByTheNextTurnOfTheLoopAndReplacesGarbage) {
  for (const auto& [before, level] : {std::pair<std::string, int>{"", 40}, {kGarbage, 55}}) {
    if (!before.empty()) writeFile(before);
    platform::QSettingsUserDefaults defaults;
    defaults.setInteger(level, kKey);
    testsupport::drainMainQueue();
    EXPECT_EQ(fileText(), "[General]\nGlimmerbox_Brightness=" + std::to_string(level) + "\n");
    EXPECT_EQ(freshRead(), level);
  }
}

TEST_F(QSettingsUserDefaultsTest, BurstOfSavesReadsBackAtOnceAndTheLastReachesTheDisk) {
  auto defaults = std::make_unique<platform::QSettingsUserDefaults>();
  for (int level = 0; level <= 100; ++level) {
    defaults->setInteger(level, kKey);
    ASSERT_EQ(defaults->integerForKey(kKey), level);
  }
  testsupport::drainMainQueue();
  EXPECT_NE(fileText().find("Glimmerbox_Brightness=100\n"), std::string::npos) << fileText();
  defaults->setInteger(33, kKey);
  defaults.reset();  // Destroyed before the loop turns: the value is written all the same.
  EXPECT_NE(fileText().find("Glimmerbox_Brightness=33\n"), std::string::npos) << fileText();
  testsupport::drainMainQueue();  // The posted write finds nothing left to do.
}

}  // namespace

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
  const auto saved = [](const std::string& value) {
    return "[General]\nGlimmerbox_Brightness=" + value + "\n";
  };
  // A null text stands for a file that cannot be read.
  const std::pair<std::optional<std::string>, std::int64_t> cases[] = {
      {saved("-5"), -5}, {saved(""), 0},    {saved("12abc"), 0},         {saved("12.5"), 0},
      {kGarbage, 0},     {std::nullopt, 0}, {"[General]\nOther=40\n", 0}};
  for (const auto& [text, expected] : cases) {
    writeFile(text);
    EXPECT_EQ(freshRead(), expected) << text.value_or("unreadable");
  }
}

TEST_F(QSettingsUserDefaultsTest, SavesReplaceGarbageReadBackAtOnceAndTheLastReachesTheDisk) {
  writeFile(kGarbage);
  auto defaults = std::make_unique<platform::QSettingsUserDefaults>();
  for (int level = 0; level <= 100; ++level) {
    defaults->setInteger(level, kKey);
    ASSERT_EQ(defaults->integerForKey(kKey), level);
  }
  testsupport::drainMainQueue();
  EXPECT_EQ(fileText(), "[General]\nGlimmerbox_Brightness=100\n");
  EXPECT_EQ(freshRead(), 100);
  defaults->setInteger(33, kKey);
  defaults.reset();  // Destroyed before the loop turns: the value is written all the same.
  EXPECT_NE(fileText().find("Glimmerbox_Brightness=33\n"), std::string::npos) << fileText();
  testsupport::drainMainQueue();  // The posted write finds nothing left to do.
}

}  // namespace

#include <gtest/gtest.h>

#include <unistd.h>
#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <memory>
#include <optional>
#include <sstream>
#include <string>

#include "platform/desktop/QSettingsUserDefaults.h"
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

TEST(QSettingsUserDefaults, ReadsWholeNumbersAndZeroForAnythingElse) {
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

TEST(QSettingsUserDefaults, SavesReplaceGarbageReadBackAtOnceAndTheLastReachesTheDisk) {
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

// A save that cannot be made is said once with the path and the reason while
// the file keeps what it held; the first save that works says so. Root may
// write a read-only file, so that row is for users only.
TEST(QSettingsUserDefaults, SaysOnceWhySavingFailsAndOnceWhenItWorksAgain) {
  const std::string path = settingsFile().string();
  const std::pair<std::optional<std::string>, const char*> cases[] = {
      {std::nullopt, "Is a directory"}, {"[General]\nOther=7\n", "Permission denied"}};
  for (const auto& [text, reason] : cases) {
    if (text && geteuid() == 0) continue;
    writeFile(text);
    std::filesystem::permissions(settingsFile(), std::filesystem::perms::owner_read);
    platform::QSettingsUserDefaults defaults;
    testing::internal::CaptureStderr();
    for (int level : {40, 41, 42}) {
      if (level == 42) std::filesystem::permissions(settingsFile(), std::filesystem::perms::all);
      if (level == 42 && !text) std::filesystem::remove(settingsFile());
      defaults.setInteger(level, kKey);
      testsupport::drainMainQueue();
    }
    EXPECT_EQ(testing::internal::GetCapturedStderr(),
              "glimmerbox: cannot save settings to " + path + ": " + reason +
                  "\nglimmerbox: settings saved to " + path + " again\n");
    EXPECT_EQ(freshRead(), 42);
    EXPECT_EQ(fileText().find("Other=7") != std::string::npos, text.has_value());
  }
}

}  // namespace

#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <memory>
#include <sstream>
#include <string>

#include "platform/QSettingsUserDefaults.h"
#include "tests/support/EventLoop.h"

namespace {

const std::string kKey = "Glimmerbox_Brightness";

std::filesystem::path settingsFile() {
  return std::filesystem::path(std::getenv("XDG_CONFIG_HOME")) / "Glimmerbox" / "Glimmerbox.conf";
}

std::string fileText() {
  std::ifstream in(settingsFile());
  std::stringstream text;
  text << in.rdbuf();
  return text.str();
}

// QSettings rereads a file only when its size or modification time changed,
// so every file written here gets a modification time of its own.
void writeFile(const std::string& text) {
  static int writes = 0;
  std::filesystem::create_directories(settingsFile().parent_path());
  std::ofstream(settingsFile(), std::ios::binary | std::ios::trunc) << text;
  std::filesystem::last_write_time(
      settingsFile(), std::filesystem::file_time_type::clock::now() + std::chrono::hours(++writes));
}

class QSettingsUserDefaultsTest : public testing::Test {
 protected:
  void SetUp() override { std::filesystem::remove_all(settingsFile()); }
  void TearDown() override { std::filesystem::remove_all(settingsFile()); }
};

struct StoredCase {
  const char* what;
  std::string fileText;
  std::int64_t value;
};

void PrintTo(const StoredCase& testCase, std::ostream* out) { *out << testCase.what; }

class QSettingsUserDefaultsRead : public QSettingsUserDefaultsTest,
                                  public testing::WithParamInterface<StoredCase> {};

TEST_P(QSettingsUserDefaultsRead, ReadsWholeNumbersAndZeroForAnythingElse) {
  writeFile(GetParam().fileText);
  EXPECT_EQ(platform::QSettingsUserDefaults().integerForKey(kKey), GetParam().value);
}

INSTANTIATE_TEST_SUITE_P(
    Files, QSettingsUserDefaultsRead,
    testing::Values(StoredCase{"WholeNumber", "[General]\nGlimmerbox_Brightness=40\n", 40},
                    StoredCase{"Negative", "[General]\nGlimmerbox_Brightness=-5\n", -5},
                    StoredCase{"KeyMissing", "[General]\nOther=40\n", 0},
                    StoredCase{"EmptyValue", "[General]\nGlimmerbox_Brightness=\n", 0},
                    StoredCase{"Letters", "[General]\nGlimmerbox_Brightness=abc\n", 0},
                    StoredCase{"NumberThenLetters", "[General]\nGlimmerbox_Brightness=12abc\n", 0},
                    StoredCase{"Fraction", "[General]\nGlimmerbox_Brightness=12.5\n", 0},
                    StoredCase{"Garbage", std::string("\x00\xff[[General\n\x01=\n", 15), 0}),
    [](const testing::TestParamInfo<StoredCase>& info) { return info.param.what; });

TEST_F(QSettingsUserDefaultsTest, UnreadableFileReadsZero) {
  std::filesystem::create_directories(settingsFile());  // A directory where the file belongs.
  EXPECT_EQ(platform::QSettingsUserDefaults().integerForKey(kKey), 0);
}

TEST_F(QSettingsUserDefaultsTest, SavedValueIsOnDiskByTheNextTurnOfTheLoop) {
  platform::QSettingsUserDefaults defaults;
  defaults.setInteger(40, kKey);
  testsupport::drainMainQueue();
  EXPECT_NE(fileText().find("Glimmerbox_Brightness=40\n"), std::string::npos) << fileText();
}

TEST_F(QSettingsUserDefaultsTest, BurstOfSavesReadsBackAtOnceAndLeavesTheLastOnDisk) {
  platform::QSettingsUserDefaults defaults;
  for (int level = 0; level <= 100; ++level) {
    defaults.setInteger(level, kKey);
    ASSERT_EQ(defaults.integerForKey(kKey), level);
  }
  testsupport::drainMainQueue();
  EXPECT_EQ(platform::QSettingsUserDefaults().integerForKey(kKey), 100);
  EXPECT_NE(fileText().find("Glimmerbox_Brightness=100\n"), std::string::npos) << fileText();
}

TEST_F(QSettingsUserDefaultsTest, GarbageFileIsReplacedByTheNextSave) {
  writeFile(std::string("\x00\xff[[General\n\x01=\n", 15));
  platform::QSettingsUserDefaults defaults;
  defaults.setInteger(55, kKey);
  testsupport::drainMainQueue();
  EXPECT_EQ(fileText(), "[General]\nGlimmerbox_Brightness=55\n");
  EXPECT_EQ(platform::QSettingsUserDefaults().integerForKey(kKey), 55);
}

TEST_F(QSettingsUserDefaultsTest, ValueStillRecordedWhenDestroyedReachesTheDisk) {
  auto defaults = std::make_unique<platform::QSettingsUserDefaults>();
  defaults->setInteger(33, kKey);
  defaults.reset();
  EXPECT_NE(fileText().find("Glimmerbox_Brightness=33\n"), std::string::npos) << fileText();
  testsupport::drainMainQueue();  // The posted write finds nothing left to do.
}

}  // namespace

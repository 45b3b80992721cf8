#include <gtest/gtest.h>

#include <QApplication>
#include <cstdlib>
#include <filesystem>
#include <string>

int main(int argc, char** argv) {
  ::testing::InitGoogleTest(&argc, argv);
  if (::testing::GTEST_FLAG(list_tests)) {
    return RUN_ALL_TESTS();  // Listing needs no application and no display.
  }
  // Each test process gets its own configuration directory, so no test reads
  // or writes the user's settings and no two tests share a defaults file.
  std::string configHome =
      (std::filesystem::temp_directory_path() / "glimmerbox-test-XXXXXX").string();
  if (mkdtemp(configHome.data()) == nullptr) std::abort();
  setenv("XDG_CONFIG_HOME", configHome.c_str(), 1);
  int result = 0;
  {
    QApplication application(argc, argv);
    QApplication::setQuitOnLastWindowClosed(false);
    result = RUN_ALL_TESTS();
  }
  std::error_code ignored;
  std::filesystem::remove_all(configHome, ignored);
  return result;
}

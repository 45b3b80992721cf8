#pragma once

#include <benchmark/benchmark.h>

#include <QApplication>
#include <cstdlib>
#include <filesystem>
#include <string>

// Runs the benchmarks inside an offscreen application whose configuration
// directory is private, so a benchmark never touches the user's remembered
// level. Returns the process's exit status.
inline int runBenchmarksWithPrivateConfig(int argc, char** argv) {
  std::string configHome =
      (std::filesystem::temp_directory_path() / "glimmerbox-bench-XXXXXX").string();
  if (mkdtemp(configHome.data()) == nullptr) {
    return 1;
  }
  setenv("XDG_CONFIG_HOME", configHome.c_str(), 1);
  setenv("QT_QPA_PLATFORM", "offscreen", 0);
  {
    QApplication application(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
  }
  std::filesystem::remove_all(configHome);
  return 0;
}

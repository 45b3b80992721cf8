// setBrightness against one port that accepts every write (the recording
// test library with recording off), pauses that return at once and the real
// QSettings defaults in a private configuration directory. The writes happen
// on the writer's thread, outside the measured time.
#include <benchmark/benchmark.h>
#include <dlfcn.h>

#include <memory>
#include <string>

#include "bench/NoWaitServices.h"
#include "bench/PrivateConfigApplication.h"
#include "display/DisplayManager.h"
#include "platform/desktop/ExecutableLocation.h"
#include "platform/desktop/QSettingsUserDefaults.h"
#include "tests/display/libraries/DisplayServiceRecord.h"
#include "tests/support/EventLoop.h"
#include "tests/support/FakeDisplayServices.h"

namespace {

const char* kAcceptingLibrary =
    "../lib/glimmerbox-tests/libglimmerbox-test-recording-displayservice.so";
constexpr unsigned kPortBus = 0;  // Service 1 of the recording library.
constexpr int kCallsPerDrain = 1000;

std::string acceptingLibraryPath() {
  return (platform::ExecutableLocation::directory() / kAcceptingLibrary).string();
}

std::shared_ptr<DisplayManager> makeManager() {
  void* library = dlopen(acceptingLibraryPath().c_str(), RTLD_LAZY);
  if (library == nullptr) {
    std::abort();
  }
  auto* record = reinterpret_cast<DisplayServiceRecord* (*)()>(
      dlsym(library, "glimmerboxTestDisplayServiceRecord"))();
  record->recording = false;
  return std::make_shared<DisplayManager>(DisplayManager::Services{
      acceptingLibraryPath(),
      std::make_shared<testsupport::FakeDdcBuses>(
          std::vector<platform::DdcBus>{{kPortBus, "DP-1"}}),
      std::make_shared<testsupport::FakeGamma>(), std::make_shared<testsupport::NoPause>(),
      std::make_shared<platform::QSettingsUserDefaults>(),
      std::make_shared<testsupport::FakeScreens>()});
}

// One manager for every run, as in the program.
DisplayManager& manager() {
  static const std::shared_ptr<DisplayManager> instance = makeManager();
  return *instance;
}

// The call as a key press makes it; the coalesced disk write and the level
// callbacks run on the event loop, outside the measured time.
void SetBrightness(benchmark::State& state) {
  std::int64_t level = 0;
  int calls = 0;
  for (auto _ : state) {
    manager().setBrightness(level);
    level = (level + 7) % 101;
    if (++calls == kCallsPerDrain) {
      state.PauseTiming();
      testsupport::drainMainQueue();
      state.ResumeTiming();
      calls = 0;
    }
  }
}
BENCHMARK(SetBrightness)->Repetitions(5)->ReportAggregatesOnly(true);

// One change and the turn of the loop after it, disk write included.
void SetBrightnessThenLoopTurn(benchmark::State& state) {
  std::int64_t level = 0;
  for (auto _ : state) {
    manager().setBrightness(level);
    testsupport::drainMainQueue();
    level = (level + 7) % 101;
  }
}
BENCHMARK(SetBrightnessThenLoopTurn)->Repetitions(5)->ReportAggregatesOnly(true);

}  // namespace

int main(int argc, char** argv) { return runBenchmarksWithPrivateConfig(argc, argv); }

// What the port writer costs and gains, against one port of the recording
// test library that answers as a busy monitor does, with real pauses and
// pacing: the main thread's time per level change, and how soon after the
// last change of a burst the monitor holds it.
#include <benchmark/benchmark.h>
#include <dlfcn.h>

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "bench/PrivateConfigApplication.h"
#include "display/DisplayManager.h"
#include "platform/desktop/ExecutableLocation.h"
#include "platform/desktop/QSettingsUserDefaults.h"
#include "platform/loop/UsleepSleeper.h"
#include "tests/display/libraries/DisplayServiceRecord.h"
#include "tests/support/EventLoop.h"
#include "tests/support/FakeDisplayServices.h"

namespace {

using Clock = std::chrono::steady_clock;
using std::chrono::duration;
using std::chrono::milliseconds;

const char* kLibrary = "../lib/glimmerbox-tests/libglimmerbox-test-recording-displayservice.so";
constexpr unsigned kPortBus = 0;  // Service 1 of the recording library.
constexpr std::int32_t kRefused = -6;
// A real monitor's busy window after a luminance command it took.
constexpr milliseconds kBusyWindow{50};
// A slider drag: 60 events a second.
constexpr milliseconds kDragInterval{16};
constexpr int kLevelsPerBurst = 30;
constexpr int kLevelChanges = 3000;
constexpr int kBursts = 15;

std::string libraryPath() {
  return (platform::ExecutableLocation::directory() / kLibrary).string();
}

DisplayServiceRecord& record() {
  void* library = dlopen(libraryPath().c_str(), RTLD_LAZY);
  if (library == nullptr) {
    std::abort();
  }
  static DisplayServiceRecord* shared = reinterpret_cast<DisplayServiceRecord* (*)()>(
      dlsym(library, "glimmerboxTestDisplayServiceRecord"))();
  shared->recording = false;
  return *shared;
}

std::shared_ptr<DisplayManager> makeManager() {
  record();
  return std::make_shared<DisplayManager>(DisplayManager::Services{
      libraryPath(),
      std::make_shared<testsupport::FakeDdcBuses>(
          std::vector<platform::DdcBus>{{kPortBus, "DP-1"}}),
      std::make_shared<testsupport::FakeGamma>(), std::make_shared<platform::UsleepSleeper>(),
      std::make_shared<platform::QSettingsUserDefaults>(),
      std::make_shared<testsupport::FakeScreens>()});
}

// The monitor behind the port, answering on the writer's thread: refuses
// what comes within its busy window, and notes when it took which level.
struct BusyMonitor {
  std::int32_t answer(const DisplayServiceRecord::Write& write) {
    std::lock_guard lock(mutex);
    const Clock::time_point now = Clock::now();
    if (tookOne && now - lastTaken < kBusyWindow) {
      return kRefused;
    }
    tookOne = true;
    lastTaken = now;
    level = write.bytes[4];
    return 0;
  }
  bool holds(int wanted, Clock::time_point& since) {
    std::lock_guard lock(mutex);
    since = lastTaken;
    return tookOne && level == wanted;
  }

  std::mutex mutex;
  bool tookOne = false;
  Clock::time_point lastTaken;
  int level = -1;
};

double percentile(std::vector<double> values, double fraction) {
  std::sort(values.begin(), values.end());
  return values[static_cast<std::size_t>(fraction * static_cast<double>(values.size() - 1))];
}

void reportMilliseconds(benchmark::State& state, const std::vector<double>& values) {
  state.counters["median_ms"] = percentile(values, 0.5);
  state.counters["p99_ms"] = percentile(values, 0.99);
  state.counters["max_ms"] = percentile(values, 1.0);
}

// setBrightness with a port that refuses every write, changes a drag's
// interval apart so the writer is busy with its retries meanwhile; the
// outcomes are taken between the changes, outside the measured time.
void MainThreadTimePerChangeWithARefusingPort(benchmark::State& state) {
  record().answer = [](const DisplayServiceRecord::Write&, std::int32_t) { return kRefused; };
  auto manager = makeManager();
  std::vector<double> stalls;
  std::int64_t level = 0;
  for (auto _ : state) {
    const Clock::time_point start = Clock::now();
    manager->setBrightness(level);
    const duration<double> stall = Clock::now() - start;
    state.SetIterationTime(stall.count());
    stalls.push_back(stall.count() * 1000);
    level = (level + 7) % 101;
    testsupport::runLoopFor(kDragInterval);
  }
  manager->waitForWrites();
  record().answer = nullptr;
  reportMilliseconds(state, stalls);
}
BENCHMARK(MainThreadTimePerChangeWithARefusingPort)
    ->Iterations(kLevelChanges / 10)
    ->UseManualTime();

// A drag of 30 levels against a monitor with a busy window; measured from
// the last change to the moment the monitor took that level.
void LastChangeOfABurstToTheMonitorHoldingIt(benchmark::State& state) {
  BusyMonitor monitor;
  record().answer = [&monitor](const DisplayServiceRecord::Write& write, std::int32_t) {
    return monitor.answer(write);
  };
  auto manager = makeManager();
  std::vector<double> latencies;
  int burst = 0;
  for (auto _ : state) {
    const int base = (burst++ % 2) * 50;
    Clock::time_point lastChange;
    for (int i = 0; i < kLevelsPerBurst; ++i) {
      manager->setBrightness(base + i);
      lastChange = Clock::now();
      testsupport::runLoopFor(kDragInterval);
    }
    manager->waitForWrites();
    Clock::time_point held;
    if (!monitor.holds(base + kLevelsPerBurst - 1, held)) {
      state.SkipWithError("the monitor does not hold the last level");
      break;
    }
    const duration<double> latency = std::max(held - lastChange, Clock::duration::zero());
    state.SetIterationTime(latency.count());
    latencies.push_back(latency.count() * 1000);
  }
  testsupport::drainMainQueue();
  record().answer = nullptr;
  if (!latencies.empty()) {
    reportMilliseconds(state, latencies);
  }
}
BENCHMARK(LastChangeOfABurstToTheMonitorHoldingIt)->Iterations(kBursts)->UseManualTime();

}  // namespace

int main(int argc, char** argv) { return runBenchmarksWithPrivateConfig(argc, argv); }

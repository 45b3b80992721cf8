// The real display-service library, loaded from ../lib/glimmerbox/ beside
// bin/ as the program loads it, writing to the fake bus: first the library
// alone, then setBrightness over one and four ports, each level waited for
// on the bus, with pauses and pacing that return at once.
#include <benchmark/benchmark.h>
#include <dlfcn.h>

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "bench/NoWaitServices.h"
#include "bench/PrivateConfigApplication.h"
#include "display/DisplayManager.h"
#include "platform/ddc/DisplayService.h"
#include "platform/ddc/SysfsDdcBuses.h"
#include "platform/desktop/ExecutableLocation.h"
#include "platform/desktop/QSettingsUserDefaults.h"
#include "tests/platform/SysfsTree.h"
#include "tests/platform/displayservice/fakebus/FakeI2cBus.h"
#include "tests/support/EventLoop.h"
#include "tests/support/FakeDisplayServices.h"

namespace {

using testsupport::FakeI2cBus;

constexpr const char* kLibrary = "../lib/glimmerbox/libglimmerbox-displayservice.so";
constexpr std::uint32_t kChipAddress = 0x37;
constexpr std::uint32_t kDataAddress = 0x51;
constexpr unsigned kFirstBus = 3;
// The fake bus records every write and level changes post callbacks;
// clearing both now and then keeps memory flat over millions of iterations.
constexpr int kCallsPerCleanUp = 1000;

std::string libraryPath() {
  return (platform::ExecutableLocation::directory() / kLibrary).string();
}

std::vector<platform::DdcBus> plugPorts(std::int64_t count) {
  FakeI2cBus::instance().reset();
  std::vector<platform::DdcBus> buses;
  for (unsigned bus = kFirstBus; bus < kFirstBus + count; ++bus) {
    FakeI2cBus::instance().buses[bus] = {};
    buses.push_back({bus, "DP-" + std::to_string(bus)});
  }
  return buses;
}

// Per port: create, one write of the luminance packet, release.
void WriteLuminanceThroughTheLibrary(benchmark::State& state) {
  void* library = dlopen(libraryPath().c_str(), RTLD_LAZY);
  if (library == nullptr) {
    state.SkipWithError("display-service library not found");
    return;
  }
  auto create = reinterpret_cast<IOAVServiceCreateWithServiceFunction>(
      dlsym(library, "IOAVServiceCreateWithService"));
  auto write = reinterpret_cast<IOAVServiceWriteI2CFunction>(dlsym(library, "IOAVServiceWriteI2C"));
  const std::vector<platform::DdcBus> buses = plugPorts(state.range(0));
  std::uint8_t packet[] = {0x84, 0x03, 0x10, 0x00, 0x32, 0x9A};
  int calls = 0;
  for (auto _ : state) {
    for (const platform::DdcBus& bus : buses) {
      IOAVServiceRef object = create(nullptr, bus.number + 1);
      benchmark::DoNotOptimize(write(object, kChipAddress, kDataAddress, packet, sizeof packet));
      object->release(object);
    }
    if (++calls == kCallsPerCleanUp) {
      state.PauseTiming();
      FakeI2cBus::instance().writes.clear();
      state.ResumeTiming();
      calls = 0;
    }
  }
}
BENCHMARK(WriteLuminanceThroughTheLibrary)
    ->Arg(1)
    ->Arg(4)
    ->Repetitions(5)
    ->ReportAggregatesOnly(true);

// The enumeration every level change makes, here over a fixture tree on
// the temporary directory's file system (two monitors and a panel); sysfs
// itself answers from memory.
void EnumerateDisplayPortsInSysfs(benchmark::State& state) {
  testsupport::SysfsTree tree;
  auto gpu = tree.pciDevice("0000:00:02.0", "0x030000", "i915");
  tree.connector(gpu, 0, "HDMI-A-1", "connected", tree.adapter(gpu, 4, "i915 gmbus dpb"));
  tree.adapter(tree.connector(gpu, 0, "eDP-1", "connected"), 6, "AUX A/DDI A/PHY A");
  tree.adapter(tree.connector(gpu, 0, "DP-1", "connected"), 7, "AUX B/DDI B/PHY B");
  tree.connector(gpu, 0, "DP-2", "disconnected");
  platform::SysfsDdcBuses buses(tree.root());
  for (auto _ : state) {
    benchmark::DoNotOptimize(buses.list());
  }
}
BENCHMARK(EnumerateDisplayPortsInSysfs)->Repetitions(5)->ReportAggregatesOnly(true);

// The call as a key press makes it and the writer's trip over the bus; the
// disk write and level callbacks run on the event loop, outside the measured
// time.
void SetBrightnessAndWrite(benchmark::State& state) {
  auto manager = std::make_shared<DisplayManager>(DisplayManager::Services{
      libraryPath(), std::make_shared<testsupport::FakeDdcBuses>(plugPorts(state.range(0))),
      std::make_shared<testsupport::FakeGamma>(), std::make_shared<testsupport::NoPause>(),
      std::make_shared<platform::QSettingsUserDefaults>(),
      std::make_shared<testsupport::FakeScreens>(), std::make_shared<testsupport::NoWait>()});
  std::int64_t level = 0;
  int calls = 0;
  for (auto _ : state) {
    manager->setBrightness(level);
    manager->waitForWrites();
    level = (level + 7) % 101;
    if (++calls == kCallsPerCleanUp) {
      state.PauseTiming();
      testsupport::drainMainQueue();
      FakeI2cBus::instance().writes.clear();
      state.ResumeTiming();
      calls = 0;
    }
  }
  if (FakeI2cBus::instance().writes.empty() && calls > 0) {
    state.SkipWithError("no write reached the fake bus");
  }
}
BENCHMARK(SetBrightnessAndWrite)->Arg(1)->Arg(4)->Repetitions(5)->ReportAggregatesOnly(true);

}  // namespace

int main(int argc, char** argv) { return runBenchmarksWithPrivateConfig(argc, argv); }

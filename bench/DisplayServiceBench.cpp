#include <benchmark/benchmark.h>
#include <dlfcn.h>
#include <unistd.h>

#include <cstdint>
#include <filesystem>
#include <vector>

#include "platform/DisplayService.h"
#include "tests/platform/displayservice/fakebus/FakeI2cBus.h"

// The real display-service library, loaded the way the program loads it
// (from ../lib/glimmerbox/ beside bin/), writing to the fake bus.
namespace {

using testsupport::FakeI2cBus;

constexpr std::uint32_t kChipAddress = 0x37;
constexpr std::uint32_t kDataAddress = 0x51;
constexpr unsigned kFirstBus = 3;
// The fake bus records every write; forgetting them now and then keeps
// memory flat over millions of iterations.
constexpr std::size_t kWritesKept = 4096;

struct Library {
  IOAVServiceCreateWithServiceFunction create = nullptr;
  IOAVServiceWriteI2CFunction write = nullptr;
};

std::filesystem::path libraryPath() {
  return std::filesystem::canonical("/proc/self/exe").parent_path() / ".." / "lib" / "glimmerbox" /
         "libglimmerbox-displayservice.so";
}

const Library& library() {
  static const Library loaded = [] {
    void* handle = dlopen(libraryPath().c_str(), RTLD_LAZY);
    Library functions;
    if (handle != nullptr) {
      functions.create = reinterpret_cast<IOAVServiceCreateWithServiceFunction>(
          dlsym(handle, "IOAVServiceCreateWithService"));
      functions.write =
          reinterpret_cast<IOAVServiceWriteI2CFunction>(dlsym(handle, "IOAVServiceWriteI2C"));
    }
    return functions;
  }();
  return loaded;
}

std::vector<std::uint32_t> plugPorts(int count) {
  FakeI2cBus::instance().reset();
  std::vector<std::uint32_t> services;
  for (int i = 0; i < count; ++i) {
    FakeI2cBus::instance().addBus(kFirstBus + i);
    services.push_back(kFirstBus + i + 1);
  }
  return services;
}

// What one level change costs in the library: per port, create, one
// write of the luminance packet, release.
void BM_WriteLuminanceToEveryPort(benchmark::State& state) {
  const Library& functions = library();
  if (functions.create == nullptr || functions.write == nullptr) {
    state.SkipWithError("display-service library not found");
    return;
  }
  const std::vector<std::uint32_t> services = plugPorts(static_cast<int>(state.range(0)));
  std::uint8_t packet[] = {0x84, 0x03, 0x10, 0x00, 0x32, 0x9A};
  for (auto _ : state) {
    for (std::uint32_t service : services) {
      IOAVServiceRef object = functions.create(nullptr, service);
      benchmark::DoNotOptimize(
          functions.write(object, kChipAddress, kDataAddress, packet, sizeof packet));
      object->release(object);
    }
    if (FakeI2cBus::instance().writes().size() > kWritesKept) {
      FakeI2cBus::instance().clearWrites();
    }
  }
}
BENCHMARK(BM_WriteLuminanceToEveryPort)->Arg(1)->Arg(4);

}  // namespace

BENCHMARK_MAIN();

// The key service's two paths. A brightness press from the service's tap
// callback (what follows the device read) through the socket to the
// program's report callback, which is where the interceptor posts it to the
// main queue. An ordinary key through the service's tap over fake devices,
// from the frame being ready to read to the clone write.
#include <benchmark/benchmark.h>
#include <sys/eventfd.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdlib>
#include <string>
#include <thread>
#include <vector>

#include "bench/FakeInputDevices.h"
#include "keyservice/FixedSessionOwnerLookup.h"
#include "keyservice/KeyService.h"
#include "platform/input/LinuxInputTap.h"
#include "platform/keyservice-client/KeyServiceClient.h"

namespace {

// Gap between frames, so each one is measured on its own, like typing.
constexpr auto kFrameGap = std::chrono::microseconds(200);

struct NullTap : platform::InputTap {};

std::int64_t nowNs() {
  return std::chrono::steady_clock::now().time_since_epoch() / std::chrono::nanoseconds(1);
}

int listenOn(const std::string& path) {
  sockaddr_un address{};
  address.sun_family = AF_UNIX;
  path.copy(address.sun_path, sizeof address.sun_path - 1);
  const int fd = socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
  unlink(path.c_str());
  bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof address);
  listen(fd, 4);
  return fd;
}

// A service on its own thread with a connected client, whose tap the
// factory makes; `serviceSide` is that tap's callback.
class ServiceRig {
 public:
  explicit ServiceRig(keyservice::KeyService::TapFactory makeTap,
                      platform::KeyReportSource::Callback clientSide)
      : service_(
            listenFd_, stopFd_, owners_,
            [this, makeTap = std::move(makeTap)](platform::InputTap::Callback callback) {
              serviceSide = callback;
              tapMade_.store(true);
              return makeTap(std::move(callback));
            },
            [] { return true; }) {
    serving_ = std::thread([this] { service_.run(); });
    subscription_ = client_.subscribe(std::move(clientSide));
    while (!tapMade_.load()) {
      std::this_thread::yield();
    }
  }
  ~ServiceRig() {
    subscription_.reset();
    const std::uint64_t one = 1;
    benchmark::DoNotOptimize(write(stopFd_, &one, sizeof one));
    serving_.join();
    close(listenFd_);
    close(stopFd_);
    unlink(path_.c_str());
  }

  platform::InputTap::Callback serviceSide;

 private:
  const std::string path_ = "/tmp/glimmerbox-keys-bench-" + std::to_string(getpid());
  const int listenFd_ = listenOn(path_);
  const int stopFd_ = eventfd(0, EFD_CLOEXEC);
  keyservice::FixedSessionOwnerLookup owners_{getuid()};
  std::atomic<bool> tapMade_{false};
  keyservice::KeyService service_;
  std::thread serving_;
  platform::KeyServiceClient client_{path_};
  std::unique_ptr<platform::KeyReportSource::Subscription> subscription_;
};

void BM_BrightnessPressThroughTheSocket(benchmark::State& state) {
  std::atomic<int> arrived{0};
  ServiceRig rig(
      [](auto) { return std::make_unique<NullTap>(); },
      [&](const platform::KeyReport&) { arrived.fetch_add(1, std::memory_order_release); });
  const platform::KeyReport press{true, false};
  for (auto _ : state) {
    const int before = arrived.load(std::memory_order_acquire);
    rig.serviceSide(press);
    while (arrived.load(std::memory_order_acquire) == before) {
    }
  }
}
BENCHMARK(BM_BrightnessPressThroughTheSocket)->Repetitions(5)->ReportAggregatesOnly(true);

void BM_OrdinaryKeyThroughTheServiceReadToCloneWrite(benchmark::State& state) {
  auto system = std::make_shared<fakeinput::System>();
  auto keyboard =
      system->add("/dev/input/event3", "Bench keyboard", {KEY_B, KEY_BRIGHTNESSUP, KEY_LEFTSHIFT});
  ServiceRig rig(
      [system](platform::InputTap::Callback callback) {
        return platform::LinuxInputTap::create(std::make_unique<fakeinput::Source>(system),
                                               std::move(callback));
      },
      [](const platform::KeyReport&) {});
  keyboard->waitUntil([&] { return keyboard->cloneExists; });
  std::vector<double> samplesUs;
  int value = 1;
  for (auto _ : state) {
    const int writes = keyboard->cloneWrites.load();
    const std::int64_t start = nowNs();
    keyboard->type({{EV_MSC, MSC_SCAN, 48}, {EV_KEY, KEY_B, value}, {EV_SYN, SYN_REPORT, 0}});
    while (keyboard->cloneWrites.load() < writes + 1) {
      std::this_thread::yield();
    }
    const double us = (keyboard->lastCloneWriteNs.load() - start) / 1000.0;
    state.SetIterationTime(us / 1e6);
    samplesUs.push_back(us);
    value = 1 - value;
    std::this_thread::sleep_for(kFrameGap);
  }
  std::sort(samplesUs.begin(), samplesUs.end());
  state.counters["median_us"] = samplesUs[samplesUs.size() / 2];
  state.counters["p99_us"] = samplesUs[(samplesUs.size() - 1) * 99 / 100];
  state.counters["max_us"] = samplesUs.back();
}
BENCHMARK(BM_OrdinaryKeyThroughTheServiceReadToCloneWrite)->UseManualTime()->Iterations(4000);

}  // namespace

BENCHMARK_MAIN();

// Latency of the key service's input thread, measured through fake devices
// (no kernel) with the interceptor fed in-process, the socket left out: from
// the moment a frame is ready to read to the clone write (keys passed on) or
// to the report being posted (brightness keys), while the main thread is
// kept busy with 30 ms tasks, as a slow DDC/CI write would.
#include <benchmark/benchmark.h>

#include <QApplication>
#include <algorithm>
#include <atomic>
#include <chrono>
#include <thread>
#include <vector>

#include "bench/FakeInputDevices.h"
#include "keys/KeyboardInterceptor.h"
#include "platform/input/LinuxInputTap.h"
#include "platform/loop/MainQueue.h"

namespace {

using Clock = std::chrono::steady_clock;
using platform::InputEvent;

constexpr auto kMainThreadTask = std::chrono::milliseconds(30);
// Gap between frames, so each one is measured on its own, like typing.
constexpr auto kFrameGap = std::chrono::microseconds(200);

std::int64_t nowNs() { return Clock::now().time_since_epoch() / std::chrono::nanoseconds(1); }

// The service's tap as the interceptor's source of reports; stamps the moment
// the interceptor's callback returned: its report is posted.
class TimedSource : public platform::KeyReportSource {
 public:
  explicit TimedSource(std::shared_ptr<fakeinput::System> system) : system_(std::move(system)) {}
  bool isConnected(bool) override { return true; }
  std::unique_ptr<Subscription> subscribe(Callback callback) override {
    auto held = std::make_unique<HeldTap>();
    held->tap =
        platform::LinuxInputTap::create(std::make_unique<fakeinput::Source>(system_),
                                        [this, callback](const platform::KeyReport& report) {
                                          callback(report);
                                          callbackReturnedNs.store(nowNs());
                                          callbacks.fetch_add(1);
                                        });
    return held;
  }
  std::atomic<std::int64_t> callbackReturnedNs{0};
  std::atomic<int> callbacks{0};

 private:
  struct HeldTap : Subscription {
    std::unique_ptr<platform::InputTap> tap;
  };
  std::shared_ptr<fakeinput::System> system_;
};

class NoOpener : public platform::UrlOpener {
 public:
  void openUrl(const std::string&) override {}
};

struct Rig {
  std::shared_ptr<fakeinput::System> system = std::make_shared<fakeinput::System>();
  std::shared_ptr<fakeinput::Device> keyboard =
      system->add("/dev/input/event3", "Bench keyboard", {KEY_B, KEY_BRIGHTNESSUP, KEY_LEFTSHIFT});
  std::shared_ptr<TimedSource> service = std::make_shared<TimedSource>(system);
  std::shared_ptr<KeyboardInterceptor> interceptor = std::make_shared<KeyboardInterceptor>(
      KeyboardInterceptor::Services{service, std::make_shared<NoOpener>(), ""});
  Rig() {
    interceptor->startEventTap();
    keyboard->waitUntil([this] { return keyboard->cloneExists; });
  }
};

template <typename Counter>
void waitForCount(const Counter& counter, int target) {
  while (counter.load() < target) {
    std::this_thread::yield();
  }
}

void reportPercentiles(benchmark::State& state, std::vector<double> samplesUs) {
  std::sort(samplesUs.begin(), samplesUs.end());
  auto at = [&](double q) {
    return samplesUs[static_cast<std::size_t>(q * (samplesUs.size() - 1))];
  };
  state.counters["median_us"] = at(0.5);
  state.counters["p99_us"] = at(0.99);
  state.counters["max_us"] = samplesUs.back();
}

void BM_PassThroughReadToCloneWrite(benchmark::State& state) {
  Rig rig;
  std::vector<double> samples;
  int value = 1;
  for (auto _ : state) {
    const int writes = rig.keyboard->cloneWrites.load();
    const std::int64_t start = nowNs();
    rig.keyboard->type({{EV_MSC, MSC_SCAN, 48}, {EV_KEY, KEY_B, value}, {EV_SYN, SYN_REPORT, 0}});
    waitForCount(rig.keyboard->cloneWrites, writes + 1);
    const double us = (rig.keyboard->lastCloneWriteNs.load() - start) / 1000.0;
    state.SetIterationTime(us / 1e6);
    samples.push_back(us);
    value = 1 - value;
    std::this_thread::sleep_for(kFrameGap);
  }
  reportPercentiles(state, samples);
}
BENCHMARK(BM_PassThroughReadToCloneWrite)->UseManualTime()->Iterations(4000);

void BM_BrightnessKeyReadToReportPosted(benchmark::State& state) {
  Rig rig;
  std::vector<double> samples;
  for (auto _ : state) {
    const int calls = rig.service->callbacks.load();
    const std::int64_t start = nowNs();
    rig.keyboard->type(
        {{EV_MSC, MSC_SCAN, 0xe0}, {EV_KEY, KEY_BRIGHTNESSUP, 1}, {EV_SYN, SYN_REPORT, 0}});
    waitForCount(rig.service->callbacks, calls + 1);
    const double us = (rig.service->callbackReturnedNs.load() - start) / 1000.0;
    state.SetIterationTime(us / 1e6);
    samples.push_back(us);
    state.PauseTiming();
    rig.keyboard->type(
        {{EV_MSC, MSC_SCAN, 0xe0}, {EV_KEY, KEY_BRIGHTNESSUP, 0}, {EV_SYN, SYN_REPORT, 0}});
    std::this_thread::sleep_for(kFrameGap * 5);  // A release reports nothing to wait for.
    state.ResumeTiming();
  }
  reportPercentiles(state, samples);
}
BENCHMARK(BM_BrightnessKeyReadToReportPosted)->UseManualTime()->Iterations(2000);

// Keeps the main thread busy: one 30 ms task after another.
void blockMainThreadRepeatedly(const std::shared_ptr<std::atomic<bool>>& running) {
  loop::postToMain([running] {
    std::this_thread::sleep_for(kMainThreadTask);
    if (running->load()) {
      blockMainThreadRepeatedly(running);
    }
  });
}

}  // namespace

int main(int argc, char** argv) {
  QApplication application(argc, argv);
  benchmark::Initialize(&argc, argv);
  auto running = std::make_shared<std::atomic<bool>>(true);
  blockMainThreadRepeatedly(running);
  std::thread runner([&] {
    benchmark::RunSpecifiedBenchmarks();
    running->store(false);
    loop::postToMain([] { QApplication::quit(); });
  });
  const int result = QApplication::exec();
  runner.join();
  benchmark::Shutdown();
  return result;
}

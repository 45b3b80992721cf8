#include <benchmark/benchmark.h>

#include <QApplication>
#include <cstdint>

#include "hud/BrightnessHUD.h"
#include "platform/screens/CachedScreens.h"
#include "platform/screens/Screens.h"

// show(brightness:) as a burst of key steps calls it: the panel already up,
// each call restarting the timer and the fade-in. The counter
// "widgets_created" must stay 0: the window is built at construction.
namespace {

class FixedScreens : public platform::Screens {
 public:
  std::vector<platform::Screen> screens() const override { return {*mainScreen()}; }
  std::optional<platform::Screen> mainScreen() const override {
    return platform::Screen{"DELL U2720Q", {0, 0, 2560, 1440}, {0, 0, 2560, 1415}};
  }
};

void measureShows(benchmark::State& state, const std::shared_ptr<platform::Screens>& screens,
                  bool repaint) {
  BrightnessHUD hud(screens);
  hud.show(50);
  QCoreApplication::processEvents();
  const auto widgetsBefore = QApplication::allWidgets().size();
  std::int64_t level = 0;
  for (auto _ : state) {
    hud.show(level);
    level = (level + 6) % 101;
    if (repaint) {
      QCoreApplication::processEvents();
    }
  }
  state.counters["widgets_created"] =
      static_cast<double>(QApplication::allWidgets().size() - widgetsBefore);
}

void BM_Show(benchmark::State& state) {
  measureShows(state, std::make_shared<FixedScreens>(), false);
}
BENCHMARK(BM_Show)->Repetitions(5)->ReportAggregatesOnly(true);

// The screens the shared HUD uses: the system's, remembered between changes.
void BM_ShowWithCachedSystemScreens(benchmark::State& state) {
  measureShows(state, std::make_shared<platform::CachedScreens>(platform::systemScreens()), false);
}
BENCHMARK(BM_ShowWithCachedSystemScreens)->Repetitions(5)->ReportAggregatesOnly(true);

// The system's screens asked on every show, each naming the monitors anew.
void BM_ShowWithUncachedSystemScreens(benchmark::State& state) {
  measureShows(state, platform::systemScreens(), false);
}
BENCHMARK(BM_ShowWithUncachedSystemScreens)->Repetitions(5)->ReportAggregatesOnly(true);

// The first show of a burst: the window comes up from hidden and takes its
// blurred picture of what lies behind.
void BM_ShowFromHidden(benchmark::State& state) {
  BrightnessHUD hud(std::make_shared<FixedScreens>());
  std::int64_t level = 0;
  for (auto _ : state) {
    hud.show(level);
    state.PauseTiming();
    hud.window().hide();
    level = (level + 6) % 101;
    state.ResumeTiming();
  }
}
BENCHMARK(BM_ShowFromHidden)->Repetitions(5)->ReportAggregatesOnly(true);

// With the repaint that follows on the main loop, for comparison.
void BM_ShowAndRepaint(benchmark::State& state) {
  measureShows(state, std::make_shared<FixedScreens>(), true);
}
BENCHMARK(BM_ShowAndRepaint)->Repetitions(5)->ReportAggregatesOnly(true);

}  // namespace

int main(int argc, char** argv) {
  QApplication application(argc, argv);
  benchmark::Initialize(&argc, argv);
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}

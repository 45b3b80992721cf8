#include <benchmark/benchmark.h>

#include <QGuiApplication>
#include <QIcon>
#include <QPixmap>

#include "app/MonitorSunIcon.h"

// What one tray repaint costs: the icon has no pixels of its own, so every
// rendering draws it anew, at 1x (18 px) and 2x (36 px).
namespace {

void BM_RenderTrayIcon(benchmark::State& state) {
  const QIcon icon = createMonitorSunIcon();
  const double scale = static_cast<double>(state.range(0));
  for (auto _ : state) {
    QPixmap pixmap = icon.pixmap(QSize(18, 18), scale);
    benchmark::DoNotOptimize(pixmap);
  }
}
BENCHMARK(BM_RenderTrayIcon)->Arg(1)->Arg(2);

}  // namespace

int main(int argc, char** argv) {
  QGuiApplication application(argc, argv);
  benchmark::Initialize(&argc, argv);
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}

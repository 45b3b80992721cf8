#include <benchmark/benchmark.h>

#include <array>

#include "keys/TapEventClassification.h"

namespace {

namespace te = platform::tapevent;

// A mix of what the tap sees: brightness presses and releases, other special
// keys, taken and ordinary key-downs, another subtype.
const std::array<platform::TapEvent, 8> kEvents{{
    {te::kSystemDefined, 0, 0, te::kSubtypeAuxControlButtons, 0x20A00},
    {te::kSystemDefined, 0, te::kFlagShift | te::kFlagOption, te::kSubtypeAuxControlButtons,
     0x30A01},
    {te::kSystemDefined, 0, 0, te::kSubtypeAuxControlButtons, 0x20B00},
    {te::kSystemDefined, 0, 0, te::kSubtypeAuxControlButtons, 0x00A00},
    {te::kKeyDown, te::kKeyCodeF14, te::kFlagCommand, 0, 0},
    {te::kKeyDown, 0, 0, 0, 0},
    {te::kSystemDefined, 0, 0, 7, 0x20A00},
    {te::kKeyDown, 144, 0, 0, 0},
}};

void BM_ClassifyTapEvent(benchmark::State& state) {
  std::size_t index = 0;
  for (auto _ : state) {
    benchmark::DoNotOptimize(classifyTapEvent(kEvents[index]));
    index = (index + 1) % kEvents.size();
  }
  state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_ClassifyTapEvent);

}  // namespace

BENCHMARK_MAIN();

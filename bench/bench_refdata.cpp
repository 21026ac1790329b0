// Reference-data look-ups that every output runs once per QSO: band and mode
// parsing, band of a frequency, locator distance. Each benchmark cycles
// through a mix of typical, unusual and invalid inputs.
#include <benchmark/benchmark.h>

#include <array>
#include <cstddef>
#include <string_view>
#include <utility>

#include "refdata/bands.h"
#include "refdata/locator.h"
#include "refdata/modes.h"

namespace {

constexpr std::array<std::string_view, 12> kBandTexts{
    "80", "40 m", "  10M ", "2m", "70 cm", "1,2", "2189", "6", "3 C", "160 M", "xyz", "",
};

constexpr std::array<double, 12> kFrequencies{
    3.55, 7.012, 14.2, 28.4, 144.3, 432.2, 1296.1, 10368.2, 0.137, 24048.0, 7.15, 0.0,
};

constexpr std::array<std::string_view, 12> kModeTexts{
    "SSB", "CW", " USB ", "2xSSB", "FM", "RTTY", "PSK31", "PR", "DIGITAL", "usb", "FT8", "",
};

constexpr std::array<std::pair<std::string_view, std::string_view>, 8> kLocatorPairs{{
    {"JO31MM", "JN58TD"},
    {"JO31MM", "JO31MM"},
    {"JO31", "IO91WM"},
    {"jo31mm", "FN42LI"},
    {"JO31MM", "QF56OD"},
    {"JO31MM", "AD38ML"},
    {"JO31MM", "SA00AA"},
    {"JN58", "KP20LE"},
}};

template <typename Table, typename Fn>
void Cycle(benchmark::State& state, const Table& inputs, Fn fn) {
  std::size_t i = 0;
  for (auto _ : state) {
    benchmark::DoNotOptimize(fn(inputs[i]));
    if (++i == inputs.size()) i = 0;
  }
  state.SetItemsProcessed(state.iterations());
}

void BM_BandFromText(benchmark::State& state) {
  Cycle(state, kBandTexts, [](std::string_view t) { return korv::BandFromText(t); });
}
BENCHMARK(BM_BandFromText);

void BM_BandFrequencyFromText(benchmark::State& state) {
  Cycle(state, kBandTexts, [](std::string_view t) { return korv::BandFrequencyFromText(t); });
}
BENCHMARK(BM_BandFrequencyFromText);

void BM_BandFromFrequency(benchmark::State& state) {
  Cycle(state, kFrequencies, [](double f) { return korv::BandFromFrequency(f); });
}
BENCHMARK(BM_BandFromFrequency);

void BM_ModeCodeFromText(benchmark::State& state) {
  Cycle(state, kModeTexts, [](std::string_view t) { return korv::ModeCodeFromText(t); });
}
BENCHMARK(BM_ModeCodeFromText);

void BM_LocatorDistance(benchmark::State& state) {
  Cycle(state, kLocatorPairs, [](const std::pair<std::string_view, std::string_view>& p) {
    return korv::LocatorDistance(p.first, p.second);
  });
}
BENCHMARK(BM_LocatorDistance);

}  // namespace

BENCHMARK_MAIN();

// Each criteria routine alone over a long realistic series: normal values around the centre line
// with shifts, trends, alternations and outliers planted every few hundred points.
#include "criteria/CriteriaEngine.h"

#include <benchmark/benchmark.h>
#include <random>
#include <span>
#include <vector>

namespace {

constexpr double Centre = 10.0;
constexpr double Upper = 13.0;
constexpr double Lower = 7.0;

const std::vector<double>& Series()
{
    static const std::vector<double> values = [] {
        std::vector<double> v(1000000);
        std::mt19937_64 random(8258);
        std::normal_distribution<double> normal(Centre, 1.0);
        for (double& x : v)
            x = normal(random);
        for (std::size_t i = 100; i + 60 < v.size(); i += 613) {
            switch ((i / 613) % 4) {
            case 0: // a shift of 1.5 sigma
                for (std::size_t k = 0; k < 12; ++k)
                    v[i + k] = Centre + 1.5 + 0.3 * (normal(random) - Centre);
                break;
            case 1: // a trend
                for (std::size_t k = 0; k < 8; ++k)
                    v[i + k] = Centre - 1.0 + 0.25 * static_cast<double>(k);
                break;
            case 2: // an alternation
                for (std::size_t k = 0; k < 16; ++k)
                    v[i + k] = Centre + (k % 2 ? 0.8 : -0.8);
                break;
            default: // outliers
                v[i] = Centre + 3.5;
                v[i + 1] = Centre - 3.2;
                break;
            }
        }
        return v;
    }();
    return values;
}

void BM_WestgardCheck(benchmark::State& state)
{
    const std::vector<double>& values = Series();
    for (auto _ : state) {
        ErrorArray hits = WestgardCheck(values, Centre, Upper, Lower);
        benchmark::DoNotOptimize(hits.data());
    }
    state.SetItemsProcessed(state.iterations() * static_cast<int64_t>(values.size()));
    state.counters["hits"] = static_cast<double>(WestgardCheck(values, Centre, Upper, Lower).size());
}

void BM_IsoCheck(benchmark::State& state)
{
    const std::vector<double>& values = Series();
    for (auto _ : state) {
        ErrorArray hits = IsoCheck(values, Centre, Upper, Lower);
        benchmark::DoNotOptimize(hits.data());
    }
    state.SetItemsProcessed(state.iterations() * static_cast<int64_t>(values.size()));
    state.counters["hits"] = static_cast<double>(IsoCheck(values, Centre, Upper, Lower).size());
}

// The same series cut into groups of 25 points, as a document of many small groups is checked: the
// cost of each call beyond its points shows here.
template <ErrorArray (*Check)(std::span<const double>, double, double, double)>
void BM_SmallGroups(benchmark::State& state)
{
    const std::vector<double>& values = Series();
    constexpr std::size_t groupSize = 25;
    for (auto _ : state) {
        for (std::size_t first = 0; first + groupSize <= values.size(); first += groupSize) {
            ErrorArray hits = Check(std::span(values).subspan(first, groupSize), Centre, Upper, Lower);
            benchmark::DoNotOptimize(hits.data());
        }
    }
    state.SetItemsProcessed(state.iterations() * static_cast<int64_t>(values.size()));
}

} // namespace

BENCHMARK(BM_WestgardCheck)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_IsoCheck)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_SmallGroups<WestgardCheck>)->Name("BM_WestgardCheckGroupsOf25")->Unit(benchmark::kMillisecond);
BENCHMARK(BM_SmallGroups<IsoCheck>)->Name("BM_IsoCheckGroupsOf25")->Unit(benchmark::kMillisecond);

BENCHMARK_MAIN();

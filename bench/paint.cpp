// Chart redraw costs: one page (773 x 285) at scroll fractions 0, 0.5 and 1 for documents of
// 1,000 to 1,000,000 points in 10 groups, and one report picture of 12 points. The counters
// "allocs" and "alloc_bytes" are the heap allocations of one redraw (every operator new is
// counted), to show that they do not grow with the document.
#include "paint/Paint.h"
#include "paint/ChartGeometry.h"
#include "paint/DrawingState.h"

#include "model/Messenger.h"

#include <QGuiApplication>
#include <atomic>
#include <benchmark/benchmark.h>
#include <cmath>
#include <cstdlib>
#include <map>
#include <new>

namespace {

std::atomic<long long> allocationCount { 0 };
std::atomic<long long> allocationBytes { 0 };

} // namespace

void* operator new(std::size_t size)
{
    ++allocationCount;
    allocationBytes += (long long)size;
    if (void* p = std::malloc(size ? size : 1))
        return p;
    throw std::bad_alloc();
}
void operator delete(void* p) noexcept
{
    std::free(p);
}
void operator delete(void* p, std::size_t) noexcept
{
    std::free(p);
}

namespace {

std::vector<TIndividualInfo> Document(int points, int groups)
{
    std::vector<TIndividualInfo> result;
    const int perGroup = points / groups;
    for (int g = 0; g < groups; ++g) {
        TIndividualInfo group(true);
        group.Data.resize(1);
        for (int i = 0; i < perGroup; ++i)
            group.Data[0].push_back(10.0 + 3.0 * std::sin(0.37 * (i + g * perGroup)) + (i % 97 == 0 ? 5.0 : 0.0));
        group.Lines[0] = { 5.0 + g * 0.1, 15.0 - g * 0.1, 10.0 };
        result.push_back(std::move(group));
    }
    return result;
}

const std::vector<TIndividualInfo>& Cached(int points)
{
    static std::map<int, std::vector<TIndividualInfo>> documents;
    auto it = documents.find(points);
    if (it == documents.end())
        it = documents.emplace(points, Document(points, 10)).first;
    return it->second;
}

QStringList Dates(int points)
{
    QStringList dates;
    dates.reserve(points);
    for (int i = 0; i < points; ++i)
        dates.append(QStringLiteral("%1.01.2024").arg(1 + i % 28, 2, 10, QLatin1Char('0')));
    return dates;
}

void BM_ChartPageRedraw(benchmark::State& state)
{
    const int points = int(state.range(0));
    const double fraction = double(state.range(1)) / 2.0;
    const std::vector<TIndividualInfo>& groups = Cached(points);
    const QStringList dates = Dates(points);
    QImage bitmap(773, 285, QImage::Format_RGB32);
    const int extent = int(ChartPageExtent(points, 10, 50, 50));
    long long allocations = 0;
    long long bytes = 0;
    for (auto _ : state) {
        int pageExtent = extent;
        const long long countBefore = allocationCount;
        const long long bytesBefore = allocationBytes;
        DrawChart(groups, dates, bitmap, QStringLiteral("мг/л"), 2, 0, 0, pageExtent, fraction);
        allocations = allocationCount - countBefore;
        bytes = allocationBytes - bytesBefore;
        benchmark::DoNotOptimize(bitmap.constBits());
    }
    state.counters["allocs"] = double(allocations);
    state.counters["alloc_bytes"] = double(bytes);
}
BENCHMARK(BM_ChartPageRedraw)
    ->ArgsProduct({ { 1000, 100000, 1000000 }, { 0, 1, 2 } })
    ->ArgNames({ "points", "fraction_x2" })
    ->Unit(benchmark::kMillisecond);

// The part of a redraw that must grow with the document: the scale over every value.
void BM_ChartScale(benchmark::State& state)
{
    const std::vector<TIndividualInfo>& groups = Cached(int(state.range(0)));
    for (auto _ : state)
        benchmark::DoNotOptimize(ComputeChartScale(groups, 0, 0));
}
BENCHMARK(BM_ChartScale)->Arg(1000)->Arg(100000)->Arg(1000000)->Unit(benchmark::kMillisecond);

void BM_ReportPicture12Points(benchmark::State& state)
{
    const std::vector<TIndividualInfo>& groups = Cached(1000);
    const QStringList dates = Dates(1000);
    SilentMessenger messenger;
    for (auto _ : state) {
        ChartDrawingState().LeftMargin = 65;
        QImage bitmap(1, 285, QImage::Format_RGB32);
        DrawChartRange(bitmap, groups, QStringLiteral("мг/л"), 2, 0, 0, 106, 95, dates, messenger);
        benchmark::DoNotOptimize(bitmap.constBits());
    }
}
BENCHMARK(BM_ReportPicture12Points)->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}

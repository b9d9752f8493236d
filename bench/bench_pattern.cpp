// Name patterns: the file requester's filter over a drawer's worth of names, and patterns
// that would take exponential time with plain backtracking.
#include <benchmark/benchmark.h>
#include <dos.h>

#include <string>
#include <vector>

namespace {

std::vector<std::string> Names(int count) {
    std::vector<std::string> names;
    for (int i = 0; i < count; ++i) {
        names.push_back("game" + std::to_string(i));
        names.push_back("game" + std::to_string(i) + ".info");
    }
    return names;
}

void BM_FilterDrawer(benchmark::State& state) {
    const std::vector<std::string> names = Names(static_cast<int>(state.range(0)));
    char parsed[64];
    ParsePatternNoCase("~(#?.info)", parsed, sizeof parsed);
    for (auto _ : state) {
        int kept = 0;
        for (const std::string& n : names) kept += MatchPatternNoCase(parsed, n.c_str()) ? 1 : 0;
        benchmark::DoNotOptimize(kept);
    }
    state.SetItemsProcessed(state.iterations() * static_cast<int64_t>(names.size()));
}
BENCHMARK(BM_FilterDrawer)->Arg(50)->Arg(1000);

void BM_NestedStars(benchmark::State& state) {
    const std::string name(static_cast<size_t>(state.range(0)), 'a');
    char parsed[64];
    ParsePatternNoCase("#(#a#a)b", parsed, sizeof parsed);
    for (auto _ : state) benchmark::DoNotOptimize(MatchPatternNoCase(parsed, name.c_str()));
    state.SetComplexityN(state.range(0));
}
BENCHMARK(BM_NestedStars)->RangeMultiplier(2)->Range(16, 256)->Complexity();

}  // namespace

BENCHMARK_MAIN();

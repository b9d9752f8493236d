// The odds tool's engine: one one-change setting with 8 jokers, all 36 one-change settings
// (both with the table of draw counts built first, as the tool does), the advice on one hand,
// and simulated games of the adviser with two changes.
#include <benchmark/benchmark.h>

#include <vector>

#include "odds.h"

namespace {

constexpr int kThreads = 2;

void BM_OneChangeEightJokers(benchmark::State& state) {
    for (auto _ : state) {
        const odds::Table table(odds::Deck::Full(), kThreads);
        benchmark::DoNotOptimize(odds::ExactOneChange(table, {{8, 1, 0}}, kThreads));
    }
}

void BM_EveryOneChangeSetting(benchmark::State& state) {
    std::vector<odds::Setting> settings;
    for (int j = 0; j <= odds::kMaxJokers; ++j)
        for (uint32_t f : odds::kFlagWords) settings.push_back({j, 1, f});
    for (auto _ : state) {
        const odds::Table table(odds::Deck::Full(), kThreads);
        benchmark::DoNotOptimize(odds::ExactOneChange(table, settings, kThreads));
    }
}

void BM_HoldsOfOneHand(benchmark::State& state) {
    // Nothing kept is the worst case: every hold draws from 50 cards.
    const odds::Situation s{{0, 14, 28, 42, 51}, 0, {}, 3};
    for (auto _ : state)
        benchmark::DoNotOptimize(odds::ValueHolds(odds::Deck::Full(), nullptr, s, 0, 1, kThreads, 0));
}

void BM_AdviserGamesTwoChanges(benchmark::State& state) {
    const odds::Table table(odds::Deck::Full(), kThreads);
    const odds::Result one = odds::ExactOneChange(table, {{3, 1, 0}}, kThreads)[0];
    int64_t games = 0;
    for (auto _ : state) {
        // An interval this wide ends after the first round of games.
        const odds::Result r = odds::SimulateAdviser(table, {3, 2, 0}, one, 1e9, kThreads, 1);
        games += r.games;
    }
    state.SetItemsProcessed(games);
}

}  // namespace

BENCHMARK(BM_OneChangeEightJokers)->Unit(benchmark::kMillisecond)->Iterations(3)->UseRealTime();
BENCHMARK(BM_EveryOneChangeSetting)->Unit(benchmark::kMillisecond)->Iterations(1)->UseRealTime();
BENCHMARK(BM_HoldsOfOneHand)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_AdviserGamesTwoChanges)->Unit(benchmark::kMillisecond)->Iterations(2)->UseRealTime();

BENCHMARK_MAIN();

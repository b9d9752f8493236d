// The odds tool's engine: one one-change setting with 8 jokers, all 36 one-change settings
// (both with the table of draw counts built first, as the tool does), the advice on one hand
// with one and with two draws left, and the look-ahead strategy: its tables, its games, and
// whole settings to the tool's 95% interval of 0.05 points.
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

void BM_HoldsWithTwoDrawsLeft(benchmark::State& state) {
    // What --hand does with two draws left: the strategy's tables, then every hold.
    const odds::Situation s{{17, 18, 19, 20, 47}, 0, {}, 0};  // 5H 6H 7H 8H 9C
    for (auto _ : state) {
        const odds::Lookahead la(odds::Deck::Full(), 0, 0, 2, kThreads);
        benchmark::DoNotOptimize(odds::ValueHolds(odds::Deck::Full(), &la, s, 0, 2, kThreads, 0));
    }
}

void BM_LookaheadTables(benchmark::State& state) {
    const int depth = static_cast<int>(state.range(0));
    for (auto _ : state) {
        const odds::Lookahead la(odds::Deck::Full(), 3, 0, depth, kThreads);
        benchmark::DoNotOptimize(la.ExactPart(depth, kThreads));
    }
}

void BM_LookaheadGames(benchmark::State& state) {
    const int changes = static_cast<int>(state.range(0));
    const odds::Lookahead la(odds::Deck::Full(), 3, 0, changes, kThreads);
    int64_t games = 0;
    for (auto _ : state) games += odds::SimulateLookahead(la, {3, changes, 0}, 0, kThreads, 1, 1 << 15).games;
    state.SetItemsProcessed(games);
}

void BM_SettingToTheToolsInterval(benchmark::State& state) {
    const odds::Setting setting{static_cast<int>(state.range(0)), static_cast<int>(state.range(1)), 0};
    for (auto _ : state) {
        const odds::Lookahead la(odds::Deck::Full(), setting.jokers, 0, setting.changes, kThreads);
        const odds::Result r = odds::SimulateLookahead(la, setting, 0.05, kThreads, 23);
        state.counters["games"] = static_cast<double>(r.games);
    }
}

}  // namespace

BENCHMARK(BM_OneChangeEightJokers)->Unit(benchmark::kMillisecond)->Iterations(3)->UseRealTime();
BENCHMARK(BM_EveryOneChangeSetting)->Unit(benchmark::kMillisecond)->Iterations(1)->UseRealTime();
BENCHMARK(BM_HoldsOfOneHand)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_HoldsWithTwoDrawsLeft)->Unit(benchmark::kMillisecond)->Iterations(3)->UseRealTime();
BENCHMARK(BM_LookaheadTables)->Arg(2)->Arg(3)->Unit(benchmark::kMillisecond)->Iterations(2)->UseRealTime();
BENCHMARK(BM_LookaheadGames)->Arg(2)->Arg(3)->Unit(benchmark::kMillisecond)->Iterations(2)->UseRealTime();
BENCHMARK(BM_SettingToTheToolsInterval)->Args({0, 2})->Args({3, 3})->Unit(benchmark::kSecond)->Iterations(1)->UseRealTime();

BENCHMARK_MAIN();

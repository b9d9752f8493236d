// Hand evaluations per second over every five-card hand of the 60 cards (C(60, 5)).
#include <benchmark/benchmark.h>

#include <memory>
#include <vector>

#include "app/main.h"
#include "game/card.h"
#include "game/handpile.h"

namespace {

void BM_EvaluateEveryHand(benchmark::State& state) {
    // Cards without a window: ranking reads only suits and values.
    std::vector<std::unique_ptr<cIMGCard>> cards;
    for (int n = 0; n < CARD_COUNT; ++n)
        cards.push_back(std::make_unique<cIMGCard>(nullptr, nullptr, cPoint(0, 0), cCard(n)));
    cHandPile hand(cPoint(100, 100));
    hand.flags = static_cast<uint32_t>(state.range(0));

    int64_t hands = 0;
    for (auto _ : state) {
        long sum = 0;
        for (int a = 0; a < CARD_COUNT; ++a) {
            hand.items[0] = cards[a].get();
            for (int b = a + 1; b < CARD_COUNT; ++b) {
                hand.items[1] = cards[b].get();
                for (int c = b + 1; c < CARD_COUNT; ++c) {
                    hand.items[2] = cards[c].get();
                    for (int d = c + 1; d < CARD_COUNT; ++d) {
                        hand.items[3] = cards[d].get();
                        for (int e = d + 1; e < CARD_COUNT; ++e) {
                            hand.items[4] = cards[e].get();
                            sum += hand.Evaluate();
                            ++hands;
                        }
                    }
                }
            }
        }
        benchmark::DoNotOptimize(sum);
    }
    for (int i = 0; i < HAND_SLOTS; ++i) hand.items[i] = nullptr;
    state.SetItemsProcessed(hands);
    state.counters["hands"] = static_cast<double>(hands / state.iterations());
}

}  // namespace

BENCHMARK(BM_EvaluateEveryHand)->Arg(0)->Arg(HAND_FIVE_JOKERS_BEST | HAND_FIVE_KIND_ABOVE_SF)->Unit(benchmark::kMillisecond);

BENCHMARK_MAIN();

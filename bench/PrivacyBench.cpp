// The cryptography of one protected hand, summed over all participants:
// every shuffle pass, every layer removed to deal two cards to each player
// and five to the board, a showdown of two players, and at the hand's end
// every participant checking every pass and every published layer. The
// figure per hand is the work of the whole table; each participant does
// about its share of it.
#include <benchmark/benchmark.h>

#include "privacy/Crypto.h"

namespace scrivo::privacy {
namespace {

void BM_ProtectedHand(benchmark::State& bench)
{
    Ready();
    const auto players = static_cast<std::size_t>(bench.range(0));
    long long hand = 0;
    for (auto _ : bench) {
        const std::string id = "hand " + std::to_string(++hand);
        std::vector<Key> keys;
        std::vector<std::vector<Point>> passes{OpenPack(id)};
        for (std::size_t k = 0; k < players; ++k) {
            keys.push_back(NewKey());
            passes.push_back(ShufflePass(passes.back(), keys.back()));
        }
        // Layers published: each dealt card by every participant but its
        // owner, the board by everybody; two players show down.
        struct Layer {
            Point before, after;
            std::size_t by;
        };
        std::vector<Layer> layers;
        const auto deal = [&](std::size_t card, std::size_t owner) {
            Point p = passes.back()[card];
            for (std::size_t k = 0; k < players; ++k) {
                if (k == owner) continue;
                const Point after = *Unlock(keys[k], p);
                layers.push_back({p, after, k});
                p = after;
            }
            if (owner < players) p = *Unlock(keys[owner], p);
            benchmark::DoNotOptimize(CardOf(id, p));
        };
        std::size_t next = 0;
        for (std::size_t p = 0; p < players; ++p) {
            deal(next++, p);
            deal(next++, p);
        }
        for (int b = 0; b < 5; ++b)
            deal(next++, players);
        // Every participant checks all of it at the hand's end.
        for (std::size_t checker = 0; checker < players; ++checker) {
            for (std::size_t k = 0; k < players; ++k)
                benchmark::DoNotOptimize(CheckPass(passes[k], passes[k + 1], keys[k]));
            for (const Layer& l : layers)
                benchmark::DoNotOptimize(CheckUnlock(l.before, l.after, keys[l.by]));
        }
    }
    bench.SetItemsProcessed(bench.iterations());
}
BENCHMARK(BM_ProtectedHand)->Arg(2)->Arg(4)->Arg(6)->Unit(benchmark::kMillisecond);

} // namespace
} // namespace scrivo::privacy

BENCHMARK_MAIN();

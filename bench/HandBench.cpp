// Whole hands through the rules machine, without a folder: six seats of
// random legal play (folds, calls, raises within what the rules allow, all
// ins), in each structure and rule set. Reports hands per second.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <random>

#include "engine/hand/HandMachine.h"

namespace scrivo {
namespace {

void BM_Hands(benchmark::State& bench, const char* type, HandRules rules)
{
    std::mt19937 rng(7);
    std::vector<clsCard> pack;
    for (int suit = 0; suit < 4; ++suit)
        for (int face = 0; face < 13; ++face)
            pack.emplace_back(suit, face);
    StartEvent start;
    start.config = HandConfig{rules, type, Currency::FromWhole(5), Currency::FromWhole(10)};
    start.seats.resize(7);
    long long hands = 0, events = 0;
    for (auto _ : bench) {
        for (int p = 1; p <= 6; ++p)
            start.seats[static_cast<std::size_t>(p)] =
                StartSeat{true, Currency::FromWhole(200 + rng() % 1800)};
        start.button = 1 + static_cast<int>(rng() % 6);
        std::shuffle(pack.begin(), pack.end(), rng);
        start.pack = pack;
        HandState state;
        Apply(state, start);
        while (!state.over) {
            const int seat = state.toAct;
            const BetLimits limits = LimitsFor(state, seat);
            const RaiseRange range = RaiseAmounts(limits);
            RequestEvent r{seat, RequestKind::PutIn, CallAmount(limits)};
            const unsigned pick = rng() % 10;
            if (pick < 2)
                r.kind = RequestKind::Fold;
            else if (pick < 4 && range.raise)
                r.amount = range.least;
            else if (pick == 4)
                r.amount = limits.myCash;
            if (r.kind == RequestKind::PutIn && r.amount.IsZero()) r.kind = RequestKind::Check;
            if (r.amount > limits.myCash) r.amount = limits.myCash;
            const HandStep step = Apply(state, r);
            benchmark::DoNotOptimize(step);
            ++events;
        }
        ++hands;
    }
    bench.counters["hands/s"] = benchmark::Counter(static_cast<double>(hands), benchmark::Counter::kIsRate);
    bench.counters["events/hand"] = static_cast<double>(events) / static_cast<double>(std::max(1LL, hands));
}

BENCHMARK_CAPTURE(BM_Hands, NoLimitStandard, "THNL", HandRules::Standard);
BENCHMARK_CAPTURE(BM_Hands, PotLimitStandard, "THPL", HandRules::Standard);
BENCHMARK_CAPTURE(BM_Hands, LimitStandard, "THLI", HandRules::Standard);
BENCHMARK_CAPTURE(BM_Hands, NoLimitClassic, "THNL", HandRules::Classic);

} // namespace
} // namespace scrivo

BENCHMARK_MAIN();

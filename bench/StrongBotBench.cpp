// Time the strong bot takes per decision. Each iteration decides one turn
// from a set of random turns made up front; the counters give the median, the
// 99th percentile and the worst single decision in milliseconds.

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <string>
#include <vector>

#include <benchmark/benchmark.h>

#include "engine/StrongBot.h"
#include "platform/Random.h"
#include "testsupport/BotSituations.h"

namespace {

using namespace scrivo;
using Clock = std::chrono::steady_clock;

constexpr std::size_t TurnCount = 1 << 11;
const char* const Structures[] = {"THLI", "THPL", "THNL"};

std::vector<BotSituation> RandomTurns(const std::string& gameType)
{
    Random random(2026);
    std::vector<BotSituation> turns;
    for (std::size_t i = 0; i < TurnCount; ++i)
        turns.push_back(test::RandomSituation(random, gameType));
    return turns;
}

// The slowest shape: eight opponents still in on the flop, every one of them
// having bet, so that each simulated hand is picked from several.
std::vector<BotSituation> CrowdedTurns()
{
    std::vector<BotSituation> turns = RandomTurns("THNL");
    Random random(7);
    for (BotSituation& s : turns) {
        while (s.board.size() != 3)
            s = test::RandomSituation(random, "THNL");
        s.dealtIn = 9;
        s.opponents.clear();
        for (int p = 0; p < 9; ++p) {
            if (p == s.position) continue;
            BotOpponent o;
            o.live = true;
            o.position = p;
            o.cash = s.bigBlind * 100;
            o.stake = s.level;
            o.did = {1, 0, 3, 1, 0};
            o.history = {100, 20, 50, 30};
            s.opponents.push_back(o);
        }
    }
    return turns;
}

void Report(benchmark::State& state, std::vector<double>& millis)
{
    if (millis.empty()) return;
    std::sort(millis.begin(), millis.end());
    state.counters["median_ms"] = millis[millis.size() / 2];
    state.counters["p99_ms"] = millis[millis.size() * 99 / 100];
    state.counters["worst_ms"] = millis.back();
}

void Decide(benchmark::State& state, const std::vector<BotSituation>& turns)
{
    Random random(11);
    std::vector<double> millis;
    std::size_t i = 0;
    for (auto _ : state) {
        const auto start = Clock::now();
        benchmark::DoNotOptimize(StrongDecide(turns[i++ % TurnCount], random));
        millis.push_back(std::chrono::duration<double, std::milli>(Clock::now() - start).count());
    }
    Report(state, millis);
}

void BM_StrongDecide(benchmark::State& state)
{
    static const std::vector<BotSituation> turns[3] = {RandomTurns("THLI"), RandomTurns("THPL"),
                                                       RandomTurns("THNL")};
    state.SetLabel(Structures[state.range(0)]);
    Decide(state, turns[state.range(0)]);
}
BENCHMARK(BM_StrongDecide)->DenseRange(0, 2)->Iterations(3000)->Unit(benchmark::kMillisecond);

void BM_StrongDecideCrowdedFlop(benchmark::State& state)
{
    static const std::vector<BotSituation> turns = CrowdedTurns();
    Decide(state, turns);
}
BENCHMARK(BM_StrongDecideCrowdedFlop)->Iterations(1000)->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char** argv)
{
    // The first decision of a process also builds the evaluator's tables.
    Random random(1);
    const BotSituation first = test::RandomSituation(random, "THNL");
    const auto start = Clock::now();
    benchmark::DoNotOptimize(StrongDecide(first, random));
    std::printf("first decision: %.3f ms\n",
                std::chrono::duration<double, std::milli>(Clock::now() - start).count());

    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}

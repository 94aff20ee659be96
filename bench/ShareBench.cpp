// A host and eight bots playing on a game folder whose file calls pass
// through a delay, as on a network share where every open and lock is a
// round trip. Each iteration plays one hand; the counters give the actions
// the host applies per second and the delayed calls (opens and locks) per
// action, at a delay of 0, 1 and 5 milliseconds per call.

#include <chrono>
#include <memory>
#include <string>
#include <vector>

#include <benchmark/benchmark.h>

#include "engine/Table.h"
#include "platform/FileOps.h"
#include "platform/Random.h"
#include "testsupport/EngineFixtures.h"

namespace {

using namespace scrivo;

void BM_HostWithEightBotsOnAShare(benchmark::State& state)
{
    test::FreshProcessState fresh;
    test::RecordingMessageBox box;
    ProgramRandom().Seed(2026);
    const Language language = test::NumberedLanguage();
    test::TempDir dir;
    test::GameSetup setup;
    setup.names = {"Host", "B1", "B2", "B3", "B4", "B5", "B6", "B7", "B8"};
    setup.bots = 8;
    setup.startCash = Currency::FromWhole(1'000'000);
    test::WriteGameFolder(dir.Path(), setup);
    test::RecordingView view;
    view.drawsSeats = false;
    Table table(view, test::SessionAt(dir.Path(), 1, setup.type, setup.bots), language);
    if (!table.Init()) {
        state.SkipWithError("the table did not open");
        return;
    }

    CountingFileOps counting(CurrentFileOps());
    DelayFileOps delayed(counting, std::chrono::microseconds(state.range(0) * 1000));
    long long actions = 0, calls = 0;
    for (auto _ : state) {
        const int hands = view.handsEnded;
        const long long actionsBefore = table.Counters().actionsProcessed;
        const long long callsBefore = delayed.DelayedCalls();
        for (int guard = 0; guard < 100000 && view.handsEnded == hands; ++guard) {
            {
                ScopedFileOps share(delayed);
                if (table.CanStartRound()) table.StartRound();
                table.Tick();
            }
            // The host's own seat always checks or calls, as a player would.
            const TableState& s = table.State();
            if (table.MyTurn())
                test::SetAction(dir.Path(), 1,
                                s.HandStake[1] < s.MinBet ? "R" + (s.MinBet - s.HandStake[1]).ToString()
                                                          : "C");
        }
        actions += table.Counters().actionsProcessed - actionsBefore;
        calls += delayed.DelayedCalls() - callsBefore;
    }
    state.counters["actions_per_s"] =
        benchmark::Counter(static_cast<double>(actions), benchmark::Counter::kIsRate);
    state.counters["delayed_calls_per_action"] =
        actions > 0 ? static_cast<double>(calls) / static_cast<double>(actions) : 0.0;
}
BENCHMARK(BM_HostWithEightBotsOnAShare)
    ->Arg(0)
    ->Arg(1)
    ->Arg(5)
    ->Iterations(3)
    ->UseRealTime()
    ->Unit(benchmark::kMillisecond);

} // namespace

BENCHMARK_MAIN();

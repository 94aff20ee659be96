// Benchmarks of a game folder whose file calls pass through a delay, as on a
// network share where every open and lock is a round trip:
// - a host and eight bots playing hands as fast as the calls allow: actions
//   per second, delayed calls and each kind of file call per action, at a
//   delay of 0, 1 and 5 milliseconds per call;
// - one poll of a client while nothing changes: each kind of file call;
// - the hand-over: a client's request until its own poll sees the next turn,
//   with the host and the client each polling on a repeating timer.

#include <algorithm>
#include <chrono>
#include <cstdint>
#include <memory>
#include <numeric>
#include <string>
#include <thread>
#include <vector>

#include <benchmark/benchmark.h>

#include "engine/Commands.h"
#include "engine/Table.h"
#include "platform/FileOps.h"
#include "platform/Random.h"
#include "testsupport/EngineFixtures.h"

namespace {

using namespace scrivo;
using SteadyClock = std::chrono::steady_clock;

void SetPerAction(benchmark::State& state, const FileOpCounts& calls, long long actions)
{
    const double n = actions > 0 ? static_cast<double>(actions) : 1.0;
    state.counters["opens_per_action"] = static_cast<double>(calls.opens) / n;
    state.counters["locks_per_action"] = static_cast<double>(calls.locks) / n;
    state.counters["reads_per_action"] = static_cast<double>(calls.reads) / n;
    state.counters["writes_per_action"] = static_cast<double>(calls.writes) / n;
    state.counters["stats_per_action"] = static_cast<double>(calls.stats) / n;
}

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
    FileOpCounts kinds;
    for (auto _ : state) {
        const int hands = view.handsEnded;
        const long long actionsBefore = table.Counters().actionsProcessed;
        const long long callsBefore = delayed.DelayedCalls();
        const FileOpCounts kindsBefore = counting.Counts();
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
        const FileOpCounts added = counting.Counts() - kindsBefore;
        kinds.opens += added.opens;
        kinds.locks += added.locks;
        kinds.reads += added.reads;
        kinds.writes += added.writes;
        kinds.stats += added.stats;
    }
    state.counters["actions_per_s"] =
        benchmark::Counter(static_cast<double>(actions), benchmark::Counter::kIsRate);
    state.counters["delayed_calls_per_action"] =
        actions > 0 ? static_cast<double>(calls) / static_cast<double>(actions) : 0.0;
    SetPerAction(state, kinds, actions);
}
BENCHMARK(BM_HostWithEightBotsOnAShare)
    ->Arg(0)
    ->Arg(1)
    ->Arg(5)
    ->Iterations(3)
    ->UseRealTime()
    ->Unit(benchmark::kMillisecond);

// A host (player 1, its own seat played by the benchmark), two bots and one
// human at a client table (player 4), in one process.
constexpr int ClientNo = 4;

struct SharedGame {
    // The client's table draws every seat, as a window does.
    SharedGame() : tables(SeededSetup(), ClientNo, language, false) {}
    bool Open() { return tables.Open(); }

    // Seeds the program's generator first, so that every run deals the same.
    static test::GameSetup SeededSetup()
    {
        ProgramRandom().Seed(2026);
        test::GameSetup setup;
        setup.names = {"Host", "B1", "B2", "Cleo"};
        setup.bots = 2;
        setup.startCash = Currency::FromWhole(1'000'000);
        return setup;
    }

    // Checks or calls through command entry, all in when the call is out of
    // reach. True when a request was written.
    bool Call(Table& table)
    {
        if (!table.MyTurn()) return false;
        const BetLimits limits = LimitsOf(table);
        CommandOutcome out = CheckOrCall(limits, language);
        if (!out.accepted) out = AllIn(limits, language);
        return WriteRequest(table, out);
    }
    // One poll of the host as scrivo-host runs it. The host's own seat checks
    // or calls up to a hundred big blinds and folds to more, so that it never
    // goes all in with the client and the game never ends; stacks are topped
    // up between hands, so that the always-calling client is never out.
    void HostPoll()
    {
        host.Tick();
        if (host.CanStartRound()) {
            const TableState& s = host.State();
            const auto shortStack = std::find_if(s.PlayerCash.begin() + 1, s.PlayerCash.end(),
                                                 [&](Currency c) { return c * 2 < tables.setup.startCash; });
            if (shortStack != s.PlayerCash.end()) host.ResetStacks(tables.setup.startCash);
            host.StartRound();
        }
        if (!host.MyTurn()) return;
        const BetLimits limits = LimitsOf(host);
        const Currency call = limits.minBet > limits.myBet ? limits.minBet - limits.myBet : Currency();
        if (call > limits.bigBlind * 100)
            WriteRequest(host, Fold(language));
        else
            Call(host);
    }

    test::FreshProcessState fresh;
    test::RecordingMessageBox box;
    const Language language = test::NumberedLanguage();
    test::HostAndClient tables;
    Table& host = *tables.host;
    Table& client = *tables.client;
};

// One client poll while the host waits: range(0) 0 before the first hand
// (the host has not pressed Start Round), 1 during a hand while the turn
// lies with the host's own seat. A poll reads gam.spk only when a stat says
// it changed, and every third poll whatever the stat says, so the figures
// are the mean over polls in groups of three. The polls run faster than the
// client's look at the host's lock, once in three seconds, which they leave out.
void BM_IdleClientPoll(benchmark::State& state)
{
    SharedGame game;
    if (!game.Open()) {
        state.SkipWithError("the tables did not open");
        return;
    }
    if (state.range(0) == 1) {
        game.host.StartRound();
        for (int i = 0; i < 20 && !game.client.MyTurn(); ++i) {
            game.host.Tick();
            game.client.Tick();
        }
        // The client calls; the host takes it and hands the turn to its own seat.
        if (!game.Call(game.client)) {
            state.SkipWithError("the client never had the turn");
            return;
        }
        game.host.Tick();
        if (game.host.State().CurrentPlayer != 1) {
            state.SkipWithError("the turn did not pass to the host's seat");
            return;
        }
    }
    // Settle: the client takes in what changed before the idle polls.
    for (int i = 0; i < 3; ++i)
        game.client.Tick();
    game.host.Tick();
    for (int i = 0; i < 3; ++i)
        game.client.Tick();

    CountingFileOps counting(CurrentFileOps());
    for (auto _ : state) {
        {
            ScopedFileOps counted(counting);
            game.client.Tick();
        }
        game.host.Tick();
    }
    const FileOpCounts c = counting.Counts();
    const double n = static_cast<double>(state.iterations());
    state.counters["opens_per_poll"] = static_cast<double>(c.opens) / n;
    state.counters["locks_per_poll"] = static_cast<double>(c.locks) / n;
    state.counters["reads_per_poll"] = static_cast<double>(c.reads) / n;
    state.counters["writes_per_poll"] = static_cast<double>(c.writes) / n;
    state.counters["stats_per_poll"] = static_cast<double>(c.stats) / n;
}
BENCHMARK(BM_IdleClientPoll)->Arg(0)->Arg(1)->Iterations(300);

double Millis(SteadyClock::duration d)
{
    return std::chrono::duration<double, std::milli>(d).count();
}

double Median(std::vector<double> values)
{
    std::sort(values.begin(), values.end());
    const std::size_t n = values.size();
    return n % 2 == 1 ? values[n / 2] : (values[n / 2 - 1] + values[n / 2]) / 2;
}

// The hand-over, at range(0) ms per open and lock: the host and the client
// each poll on a repeating timer of range(1) ms, half an interval apart,
// and run alternately in this one thread, so that every file call of
// either waits its delay in turn, as on one machine. Measured from the
// client's request being written until the end of the client's first poll
// that sees the next turn (another player's, its own again, or the hand's
// end); split at the end of the host's poll that took the request.
void BM_HandOver(benchmark::State& state)
{
    constexpr std::size_t HandOvers = 100;
    SharedGame game;
    if (!game.Open()) {
        state.SkipWithError("the tables did not open");
        return;
    }
    DelayFileOps delayed(CurrentFileOps(), std::chrono::milliseconds(state.range(0)));
    ScopedFileOps share(delayed);
    const auto interval = std::chrono::milliseconds(state.range(1));

    std::vector<double> total, hostPart, clientPart, clientPolls;
    for (auto _ : state) {
        bool waiting = false, taken = false;
        GameStatus askedAt;
        SteadyClock::time_point asked, takenAt;
        int polls = 0;
        auto nextHost = SteadyClock::now();
        auto nextClient = nextHost + interval / 2;
        const auto giveUp = nextHost + std::chrono::minutes(3);
        while (total.size() < HandOvers && SteadyClock::now() < giveUp &&
               game.host.State().Stage != StageGameOver) {
            const bool hostDue = nextHost <= nextClient;
            SteadyClock::time_point& due = hostDue ? nextHost : nextClient;
            std::this_thread::sleep_until(due);
            if (hostDue) {
                const long long before = game.host.Counters().actionsProcessed;
                game.HostPoll();
                if (waiting && !taken && game.host.Counters().actionsProcessed > before &&
                    game.host.State().CurrentPlayer != ClientNo) {
                    taken = true;
                    takenAt = SteadyClock::now();
                }
            } else {
                game.client.Tick();
                const auto now = SteadyClock::now();
                if (waiting) {
                    ++polls;
                    if (game.client.State().LastStatus != askedAt || game.client.MyTurn()) {
                        waiting = false;
                        total.push_back(Millis(now - asked));
                        if (taken) {
                            hostPart.push_back(Millis(takenAt - asked));
                            clientPart.push_back(Millis(now - takenAt));
                        }
                        clientPolls.push_back(polls);
                    }
                }
                if (!waiting && game.Call(game.client)) {
                    waiting = true;
                    taken = false;
                    polls = 0;
                    askedAt = game.client.State().LastStatus;
                    asked = SteadyClock::now();
                }
            }
            // As a window's repeating timer: the next tick one interval on,
            // or one interval from now when this one ran late.
            const auto now = SteadyClock::now();
            due += interval;
            if (due < now) due = now + interval;
        }
    }
    if (total.size() < HandOvers) {
        state.SkipWithError("fewer hand-overs than asked for");
        return;
    }
    state.counters["handovers"] = static_cast<double>(total.size());
    state.counters["median_ms"] = Median(total);
    state.counters["worst_ms"] = *std::max_element(total.begin(), total.end());
    state.counters["mean_ms"] =
        std::accumulate(total.begin(), total.end(), 0.0) / static_cast<double>(total.size());
    if (!hostPart.empty()) {
        state.counters["host_median_ms"] = Median(hostPart);
        state.counters["host_worst_ms"] = *std::max_element(hostPart.begin(), hostPart.end());
        state.counters["client_median_ms"] = Median(clientPart);
        state.counters["client_worst_ms"] = *std::max_element(clientPart.begin(), clientPart.end());
    }
    state.counters["client_polls_worst"] = *std::max_element(clientPolls.begin(), clientPolls.end());
}
// 5 ms per open and lock; both poll every 100 ms, the headless tools' default.
BENCHMARK(BM_HandOver)->Args({5, 100})->Iterations(1)->UseRealTime()->Unit(benchmark::kSecond);

} // namespace

BENCHMARK_MAIN();

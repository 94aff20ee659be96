#include "engine/Table.h"

#include <memory>

#include <gtest/gtest.h>

#include "gamefolder/RecordFile.h"
#include "platform/Random.h"
#include "platform/Text.h"
#include "testsupport/EngineFixtures.h"
#include "testsupport/RecordingMessageBox.h"
#include "testsupport/TempDir.h"

namespace scrivo {
namespace {

Currency Whole(long long n) { return Currency::FromWhole(n); }

// The amount of a "pot won" line: "w[32]name|$amount|*".
Currency WonAmount(const std::string& line)
{
    const std::size_t first = line.find('|');
    const std::size_t second = line.find('|', first + 1);
    std::string amount = line.substr(first + 1, second - first - 1);
    if (!amount.empty() && amount[0] == '$') amount.erase(0, 1);
    return Currency::Parse(amount).value_or(Whole(-1000000));
}

// A request of the kinds players send: mostly calls and checks, some bets,
// folds and all-ins, and now and then one the host has to hand back.
std::string RandomRequest(Random& random, const TableState& s, int p)
{
    const Currency cash = s.PlayerCash[p];
    const Currency call = s.MinBet > s.HandStake[p] ? s.MinBet - s.HandStake[p] : Currency();
    const int pick = random.Below(100);
    if (pick < 10) return "F";
    if (pick < 16) return "R" + cash.ToString();
    if (pick < 19) {
        static const char* junk[] = {"R", "Rxyz", "R0", "R-3", "Q", "R99999999"};
        return junk[random.Below(6)];
    }
    if (pick < 35) {
        const Currency bet = call + s.BigBlind * (1 + random.Below(4)) + Currency::FromRaw(random.Below(3) * 2500);
        return "R" + (bet < cash ? bet : cash).ToString();
    }
    if (call.IsZero()) return "C";
    return "R" + (call < cash ? call : cash).ToString();
}

struct Totals {
    long long hands = 0;
    long long games = 0;
    long long actions = 0;
};

// Plays random games at one table setup until `hands` hands have ended or
// the game is over; checks every hand's books.
void PlayGame(const std::string& folder, const test::GameSetup& setup, long long hands, Random& random, Totals& totals)
{
    test::WriteGameFolder(folder, setup);
    test::SitAt(folder, 1, setup.type);
    test::RecordingView view;
    view.drawsSeats = false;
    Table table(view);
    ASSERT_TRUE(table.Init());
    const Currency total = setup.startCash * static_cast<long long>(setup.names.size());

    std::vector<std::string> lines;
    view.onLines = [&](const std::vector<LogLine>& fresh) {
        for (const LogLine& l : fresh) lines.push_back(l.line);
    };
    std::size_t handStart = 0;
    long long ended = 0;
    view.onHandEnded = [&](const Table& t) {
        ++ended;
        const TableState& s = t.State();
        Currency sum;
        auto usr = OpenRecordFile(PlayerFilePath(folder), PlayerRecordLength);
        ASSERT_TRUE(usr);
        for (int p = 1; p <= s.PlayerCount; ++p) {
            const PlayerRecord r = *usr->ReadPlayer(p);
            ASSERT_GE(r.Cash, Currency()) << "seat " << p;
            ASSERT_EQ(r.Cash, s.PlayerCash[p]) << "seat " << p;
            sum += r.Cash;
        }
        ASSERT_EQ(sum, total) << "hand " << ended;
        // Every pot was paid once: the wins announced add up to the pot.
        Currency won;
        for (std::size_t i = handStart; i < lines.size(); ++i)
            if (lines[i].rfind("w[32]", 0) == 0) won += WonAmount(lines[i]);
        ASSERT_EQ(won, s.Pot) << "hand " << ended;
        handStart = lines.size();
    };

    for (int guard = 0; guard < 1000000; ++guard) {
        const TableState& s = table.State();
        if (s.Stage == StageGameOver || (ended >= hands && s.Stage == StageWaiting)) break;
        if (table.CanStartRound()) table.StartRound();
        table.Tick();
        if (::testing::Test::HasFatalFailure()) return;
        // The host handles a request in the tick that sees it, so the player
        // whose turn it is now has nothing pending.
        if (s.CurrentPlayer >= 1 && s.Stage >= StagePreFlop && s.Stage < StageShowdown)
            test::SetAction(folder, s.CurrentPlayer, RandomRequest(random, s, s.CurrentPlayer));
    }
    EXPECT_TRUE(view.gameEnded || ended >= hands);
    totals.hands += ended;
    totals.actions += table.Counters().actionsProcessed;
    ++totals.games;
}

TEST(ChipConservationTest, RandomGamesNeverCreateOrLoseChips)
{
    test::UseNumberedLanguage();
    test::RecordingMessageBox box;   // internal-check reports of odd requests
    Random random(31337);
    ProgramRandom().Seed(271828);
    static const char* types[] = {"THLI", "THPL", "THNL"};
    Totals totals;
    const long long target = 10000;
    for (int game = 0; totals.hands < target; ++game) {
        test::TempDir dir;
        test::GameSetup setup;
        setup.type = types[game % 3];
        const int seats = 2 + game % 8;
        setup.names.clear();
        for (int p = 1; p <= seats; ++p) setup.names.push_back("P" + std::to_string(p));
        setup.startCash = Whole(50 + random.Below(20) * 25);
        setup.smallBlind = game % 4 == 0 ? Currency::FromRaw(25000) : Whole(5);
        setup.bigBlind = setup.smallBlind * 2;
        PlayGame(dir.Path(), setup, std::min<long long>(60, target - totals.hands), random, totals);
        if (HasFatalFailure()) return;
    }
    EXPECT_GE(totals.hands, target);
    EXPECT_GT(totals.games, 20);
    std::printf("hands=%lld games=%lld actions=%lld\n", totals.hands, totals.games, totals.actions);
}

} // namespace
} // namespace scrivo

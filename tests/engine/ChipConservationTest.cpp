#include "engine/Table.h"

#include <gtest/gtest.h>

#include "gamefolder/RecordFile.h"
#include "platform/Random.h"
#include "testsupport/EngineFixtures.h"
#include "testsupport/ProcessState.h"

namespace scrivo {
namespace {

using test::Whole;

// Plays one random game until `hands` more hands have ended or the game is
// over, checking every hand's books; adds the hands played to `played`.
void PlayGame(const test::GameSetup& setup, HandRules rules, long long hands, Random& random,
              long long& played)
{
    const Language language = test::NumberedLanguage();
    test::TempDir dir;
    test::WriteGameFolder(dir.Path(), setup);
    test::RecordingView view;
    view.drawsSeats = false;
    GameSession session = test::SessionAt(dir.Path(), 1, setup.type);
    session.Rules = rules;
    Table table(view, session, language);
    ASSERT_TRUE(table.Init());
    const Currency total = setup.startCash * static_cast<long long>(setup.names.size());
    const TableState& s = table.State();
    // What the "pot won" lines ("w[32]name|$amount|*") of this hand paid out.
    Currency won;
    view.onLines = [&](const std::vector<LogLine>& lines) {
        for (const LogLine& l : lines) {
            // Pots won; chips nobody called go back and are no longer in the seats' bets.
            if (l.line.rfind("w[32]", 0) != 0) continue;
            const std::size_t from = l.line.find("|$") + 2;
            won +=
                Currency::Parse(l.line.substr(from, l.line.find('|', from) - from)).value_or(Whole(-1000000));
        }
    };
    view.onHandEnded = [&](const Table&) {
        auto usr = OpenRecordFile(PlayerFilePath(dir.Path()), PlayerRecordLength);
        ASSERT_TRUE(usr);
        Currency sum;
        Currency bets;
        for (int p = 1; p <= s.PlayerCount; ++p) {
            bets += usr->ReadPlayer(p)->Bet;
            const Currency cash = usr->ReadPlayer(p)->Cash;
            ASSERT_GE(cash, Currency()) << "seat " << p;
            ASSERT_EQ(cash, s.PlayerCash[p]) << "seat " << p;
            sum += cash;
        }
        ASSERT_EQ(sum, total) << "hand " << view.handsEnded;
        // (When the game is over the seats' bets are cleared with the hand.)
        if (s.Stage != StageGameOver) {
            ASSERT_EQ(won, bets) << "every pot paid once, hand " << view.handsEnded;
        }
        ASSERT_EQ(test::ReadGameFile(dir.Path()).Pot, Currency()) << "the paid pot is gone";
        won = Currency();
    };

    const auto done = [&] {
        return s.Stage == StageGameOver || (view.handsEnded >= hands && s.Stage == StageWaiting);
    };
    test::PlayRandomly(table, dir.Path(), random, done, true);
    EXPECT_TRUE(done());
    played += view.handsEnded;
}

// Every structure under both rule sets at every table size from two to nine
// seats (the rules themselves are played far more often by the hand
// machine's own random test).
TEST(ChipConservationTest, RandomGamesNeverCreateOrLoseChips)
{
    test::ResetProcessState();
    test::RecordingMessageBox box; // internal-check reports of odd requests
    Random random(31337);
    ProgramRandom().Seed(271828);
    long long hands = 0;
    for (int game = 0; game < 24 && !HasFatalFailure(); ++game) {
        test::GameSetup setup;
        setup.type = std::vector<std::string>{"THLI", "THPL", "THNL"}[game % 3];
        setup.names.clear();
        for (int p = 1; p <= 2 + game % 8; ++p)
            setup.names.push_back("P" + std::to_string(p));
        setup.startCash = Whole(50 + random.Below(20) * 25);
        setup.smallBlind = game % 4 == 0 ? Currency::FromRaw(25000) : Whole(5);
        setup.bigBlind = setup.smallBlind * 2;
        PlayGame(setup, game / 8 % 2 ? HandRules::Classic : HandRules::Standard, 40, random, hands);
    }
    EXPECT_GE(hands, 300) << hands;
}

} // namespace
} // namespace scrivo

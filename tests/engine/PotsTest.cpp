#include "engine/Table.h"

#include <algorithm>
#include <map>
#include <memory>
#include <set>

#include <gtest/gtest.h>

#include "platform/Random.h"
#include "platform/Text.h"
#include "testsupport/EngineFixtures.h"
#include "testsupport/RecordingMessageBox.h"
#include "testsupport/TempDir.h"

namespace scrivo {
namespace {

using test::Numbered;
using test::ReadSeat;

Currency Whole(long long n) { return Currency::FromWhole(n); }

class PotsTest : public ::testing::Test {
protected:
    void SetUp() override { test::UseNumberedLanguage(); }

    void Open(std::vector<std::string> names)
    {
        test::GameSetup setup;
        setup.names = std::move(names);
        test::WriteGameFolder(dir.Path(), setup);
        test::SitAt(dir.Path(), 1, setup.type);
        table = std::make_unique<Table>(view);
        ASSERT_TRUE(table->Init());
        mark = test::ReadAllMessages(dir.Path()).size();
        TableState& s = table->MutableState();
        s.Stage = StageRiver;
        s.Dealer = 1;
    }

    // Runs the showdown and returns the lines it sent.
    std::vector<std::string> Showdown()
    {
        table->Showdown();
        table->Tick();
        const std::vector<std::string> all = test::ReadAllMessages(dir.Path());
        return std::vector<std::string>(all.begin() + static_cast<long>(mark), all.end());
    }

    static bool Has(const std::vector<std::string>& lines, const std::string& line)
    {
        return std::find(lines.begin(), lines.end(), line) != lines.end();
    }

    test::TempDir dir;
    test::RecordingMessageBox box;
    test::RecordingView view;
    std::unique_ptr<Table> table;
    std::size_t mark = 0;
};

TEST_F(PotsTest, QuickSortAndDistinctValuesFromIndexOne)
{
    std::vector<Currency> a{Whole(99), Whole(5), Whole(0), Whole(5), Whole(3), Whole(0), Whole(12)};
    Table::QuickSort(a, 1, 6);
    EXPECT_EQ(a[0], Whole(99));   // outside the range: untouched
    EXPECT_TRUE(std::is_sorted(a.begin() + 1, a.end()));
    const std::vector<Currency> d = Table::DistinctValues(a);
    EXPECT_EQ(d, (std::vector<Currency>{Currency(), Whole(0), Whole(3), Whole(5), Whole(12)}));
}

TEST_F(PotsTest, ShortAllInMakesAMainPotAndASidePotForTheBettor)
{
    Open({"Ann", "Bob"});
    TableState& s = table->MutableState();
    s.RoundStake[1] = Whole(100);
    s.RoundStake[2] = Whole(50);
    s.HandStake[1] = Whole(100);
    s.HandStake[2] = StakeAllIn;
    table->BuildSidePots();
    EXPECT_EQ(s.Pots[1], Whole(100));
    EXPECT_EQ(s.PotPlayers[1], "12");
    EXPECT_EQ(s.Pots[2], Whole(50));
    EXPECT_EQ(s.PotPlayers[2], "1");
    EXPECT_EQ(s.CurrentPot, 2);

    table->SetHoleCards(1, "0_0,1_5");
    table->SetHoleCards(2, "0_12,1_12");
    table->SetBoardCards("2_2,3_7,2_9,3_10,0_3");
    const std::vector<std::string> lines = Showdown();
    EXPECT_TRUE(Has(lines, "d" + Numbered(48, "Ann", "1")));
    EXPECT_TRUE(Has(lines, "w" + Numbered(32, "Ann", "$50")));
    EXPECT_TRUE(Has(lines, "d" + Numbered(29)));
    EXPECT_TRUE(Has(lines, "w" + Numbered(32, "Bob", "$100")));
    EXPECT_EQ(ReadSeat(dir.Path(), 1).Cash, Whole(1050));
    EXPECT_EQ(ReadSeat(dir.Path(), 2).Cash, Whole(1100));
}

TEST_F(PotsTest, AllInForExactlyTheCallCannotWinWhatOthersBetLater)
{
    Open({"Ann", "Bob", "Cleo"});
    TableState& s = table->MutableState();
    for (int p = 1; p <= 3; ++p) s.RoundStake[static_cast<std::size_t>(p)] = Whole(50);
    s.HandStake[1] = StakeAllIn;   // called with its last 50
    s.HandStake[2] = Whole(50);
    s.HandStake[3] = Whole(50);
    table->BuildSidePots();
    s.RoundStake.fill(Currency());
    s.RoundStake[2] = Whole(30);
    s.RoundStake[3] = Whole(30);
    table->BuildSidePots();
    EXPECT_EQ(s.Pots[1], Whole(150));
    EXPECT_EQ(s.PotPlayers[1], "123");
    EXPECT_EQ(s.Pots[2], Whole(60));
    EXPECT_EQ(s.PotPlayers[2], "23");
}

TEST_F(PotsTest, FoldedPlayerPaysIntoThePotButDoesNotContend)
{
    Open({"Ann", "Bob", "Cleo"});
    TableState& s = table->MutableState();
    s.RoundStake[1] = Whole(20);
    s.RoundStake[2] = Whole(40);
    s.RoundStake[3] = Whole(40);
    s.HandStake[1] = StakeFolded;
    s.HandStake[2] = Whole(40);
    s.HandStake[3] = Whole(40);
    table->BuildSidePots();
    EXPECT_EQ(s.Pots[1], Whole(100));
    EXPECT_EQ(s.PotPlayers[1], "23");
    EXPECT_EQ(s.CurrentPot, 1);
}

TEST_F(PotsTest, ThreeEqualHandsSplitAndTheOddCentGoesLeftOfTheDealer)
{
    Open({"Ann", "Bob", "Cleo"});
    TableState& s = table->MutableState();
    s.Pots[1] = Whole(100);
    s.PotPlayers[1] = "123";
    s.CurrentPot = 1;
    table->SetHoleCards(1, "0_0,1_1");
    table->SetHoleCards(2, "1_0,2_1");
    table->SetHoleCards(3, "2_0,3_1");
    table->SetBoardCards("3_8,3_9,3_10,3_11,3_12");   // the board plays for everyone
    const std::vector<std::string> lines = Showdown();
    EXPECT_TRUE(Has(lines, "s\r\n" + Numbered(31, "3")));
    EXPECT_TRUE(Has(lines, "w" + Numbered(32, "Bob", "$33.34")));
    EXPECT_TRUE(Has(lines, "w" + Numbered(32, "Cleo", "$33.33")));
    EXPECT_TRUE(Has(lines, "w" + Numbered(32, "Ann", "$33.33")));
    EXPECT_EQ(ReadSeat(dir.Path(), 2).Cash, Currency::FromRaw(10333400));
    Currency sum;
    for (int p = 1; p <= 3; ++p) sum += ReadSeat(dir.Path(), p).Cash;
    EXPECT_EQ(sum, Whole(3100));
    // Each contender's hand is shown: name, best cards, description.
    EXPECT_TRUE(Has(lines, "nAnn:"));   // readers trim the stored line
}

TEST_F(PotsTest, PotWhoseContendersAllLeftGoesToTheBestHandStillIn)
{
    Open({"Ann", "Bob", "Cleo"});
    TableState& s = table->MutableState();
    s.Pots[1] = Whole(90);
    s.PotPlayers[1] = "123";
    s.Pots[2] = Whole(40);
    s.PotPlayers[2] = "3";
    s.CurrentPot = 2;
    s.HandStake[1] = StakeAllIn;
    s.HandStake[2] = Whole(60);
    s.HandStake[3] = StakeOut;   // left the table during the hand
    table->SetHoleCards(1, "0_12,1_12");
    table->SetHoleCards(2, "0_0,1_5");
    table->SetHoleCards(3, "2_12,3_12");
    table->SetBoardCards("2_2,3_7,2_9,3_10,0_3");
    Showdown();
    EXPECT_EQ(ReadSeat(dir.Path(), 1).Cash, Whole(1130));
    EXPECT_EQ(ReadSeat(dir.Path(), 3).Cash, Whole(1000));
    EXPECT_TRUE(box.shown.empty());
}

// ---------------------------------------------------------------------------
// Side pots against a calculation from first principles: every pot is the
// slice of the stakes between two all-in totals, and it belongs to the
// players still in the hand who put in at least up to that slice.

using PotMap = std::map<std::set<int>, Currency>;

struct Pattern {
    int players = 0;
    std::vector<std::vector<Currency>> rounds;   // stakes per round, index p
    std::vector<bool> folded;
    std::vector<bool> allIn;
    std::vector<int> markedInRound;   // the round that folded or emptied the player; -1 never
    std::vector<Currency> total;
};

Pattern RandomPattern(Random& random)
{
    Pattern pat;
    pat.players = 2 + random.Below(8);
    const int n = pat.players;
    std::vector<Currency> cash(static_cast<std::size_t>(n) + 1);
    for (int p = 1; p <= n; ++p) cash[p] = Whole(1 + random.Below(6) * 20 + random.Below(40));
    pat.folded.assign(static_cast<std::size_t>(n) + 1, false);
    pat.allIn.assign(static_cast<std::size_t>(n) + 1, false);
    pat.total.assign(static_cast<std::size_t>(n) + 1, Currency());
    pat.markedInRound.assign(static_cast<std::size_t>(n) + 1, -1);
    const int rounds = 1 + random.Below(4);
    for (int r = 0; r < rounds; ++r) {
        int active = 0;
        for (int p = 1; p <= n; ++p)
            if (!pat.folded[p] && !pat.allIn[p]) ++active;
        if (active < 2) break;
        const Currency level = Whole(random.Below(4) == 0 ? 0 : 1 + random.Below(60));
        std::vector<Currency> stakes(static_cast<std::size_t>(n) + 1);
        for (int p = 1; p <= n; ++p) {
            if (pat.folded[p] || pat.allIn[p]) continue;
            const Currency left = cash[p] - pat.total[p];
            if (random.Below(6) == 0) {
                // Folds after putting in part of the level.
                Currency part = Whole(random.Below(static_cast<int>(level.Raw() / Currency::Scale) + 1));
                if (part > left) part = left;
                stakes[p] = part;
                pat.folded[p] = true;
                pat.markedInRound[p] = r;
            } else if (left <= level) {
                stakes[p] = left;
                pat.allIn[p] = true;
                pat.markedInRound[p] = r;
            } else {
                stakes[p] = level;
            }
            pat.total[p] += stakes[p];
        }
        pat.rounds.push_back(stakes);
    }
    return pat;
}

PotMap FirstPrinciples(const Pattern& pat)
{
    std::set<Currency> caps;
    for (int p = 1; p <= pat.players; ++p)
        if (pat.allIn[p] && !pat.folded[p]) caps.insert(pat.total[p]);
    Currency top;
    for (int p = 1; p <= pat.players; ++p) top = std::max(top, pat.total[p]);
    caps.insert(top);
    PotMap pots;
    Currency previous;
    for (const Currency cap : caps) {
        if (cap <= previous) continue;
        Currency amount;
        std::set<int> eligible;
        for (int p = 1; p <= pat.players; ++p) {
            const Currency t = pat.total[p];
            if (t <= previous) continue;
            amount += std::min(t, cap) - previous;
            if (!pat.folded[p]) eligible.insert(p);
        }
        if (amount > Currency()) pots[eligible] += amount;
        previous = cap;
    }
    return pots;
}

TEST_F(PotsTest, SidePotsAgreeWithAnIndependentCalculation)
{
    Open({"P1", "P2", "P3", "P4", "P5", "P6", "P7", "P8", "P9"});
    Random random(2024);
    for (int i = 0; i < 5000; ++i) {
        const Pattern pat = RandomPattern(random);
        TableState& s = table->MutableState();
        s.PlayerCount = pat.players;
        s.HandStake.assign(static_cast<std::size_t>(pat.players) + 1, Currency());
        s.RoundStake.fill(Currency());
        s.Pots.fill(Currency());
        for (auto& pp : s.PotPlayers) pp.clear();
        s.CurrentPot = 1;
        std::vector<Currency> handSoFar(static_cast<std::size_t>(pat.players) + 1);
        for (std::size_t r = 0; r < pat.rounds.size(); ++r) {
            const std::vector<Currency>& stakes = pat.rounds[r];
            for (int p = 1; p <= pat.players; ++p) {
                s.RoundStake[static_cast<std::size_t>(p)] = stakes[p];
                handSoFar[p] += stakes[p];
                // The marks as the round leaves them: folded, all in, or the stake.
                const int marked = pat.markedInRound[p];
                if (marked >= 0 && marked <= static_cast<int>(r))
                    s.HandStake[p] = pat.folded[p] ? StakeFolded : StakeAllIn;
                else
                    s.HandStake[p] = handSoFar[p];
            }
            table->BuildSidePots();
            s.RoundStake.fill(Currency());
        }

        PotMap engine;
        Currency paidIn;
        for (int k = 1; k <= s.CurrentPot; ++k) {
            std::set<int> eligible;
            for (char d : s.PotPlayers[static_cast<std::size_t>(k)])
                if (!pat.folded[d - '0']) eligible.insert(d - '0');
            if (s.Pots[static_cast<std::size_t>(k)] > Currency()) engine[eligible] += s.Pots[static_cast<std::size_t>(k)];
            paidIn += s.Pots[static_cast<std::size_t>(k)];
        }
        Currency staked;
        for (int p = 1; p <= pat.players; ++p) staked += pat.total[p];
        ASSERT_EQ(paidIn, staked) << "pattern " << i;
        ASSERT_EQ(engine, FirstPrinciples(pat)) << "pattern " << i;
    }
}

} // namespace
} // namespace scrivo

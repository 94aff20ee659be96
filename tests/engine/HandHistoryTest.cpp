#include "engine/HandHistory.h"

#include <map>
#include <sstream>

#include <gtest/gtest.h>

#include "engine/Table.h"
#include "platform/Paths.h"
#include "platform/Random.h"
#include "settings/Language.h"
#include "settings/Settings.h"
#include "settings/TextIds.h"
#include "testsupport/EngineFixtures.h"
#include "testsupport/ProcessState.h"

namespace scrivo {
namespace {

using test::Whole;

Language Load(const std::string& name)
{
    Settings settings;
    Language language;
    language.ReadLanguageFile(JoinPath(ProgramFolder(), "Lang_" + name + ".ini"), settings);
    return language;
}

Currency Amount(const std::string& text)
{
    return Currency::Parse(text.substr(text.find('$') + 1)).value_or(Whole(-1000000));
}

// One hand of the written text, read back the way a tracker reads it.
struct ReadBack {
    long number = 0;
    Currency putIn;
    Currency collected;
    Currency totalPot;
    std::map<std::string, Currency> stacks;
    std::string dealt;
};

// Reads the written hands line by line: what each seat put in (a raise "to"
// an amount counts from what that seat had in on the street), what was
// collected, the stacks and the own cards.
std::vector<ReadBack> ReadText(const std::string& text)
{
    std::vector<ReadBack> hands;
    std::map<std::string, Currency> street;
    std::istringstream in(text);
    std::string line;
    bool summary = false;
    while (std::getline(in, line)) {
        if (line.rfind("Scrivo Poker Hand #", 0) == 0) {
            hands.emplace_back();
            hands.back().number = std::stol(line.substr(19));
            street.clear();
            summary = false;
            continue;
        }
        if (hands.empty() || line.empty()) continue;
        ReadBack& h = hands.back();
        if (line.rfind("*** SUMMARY", 0) == 0) summary = true;
        // Blinds count towards the first betting round.
        if (line.rfind("*** ", 0) == 0 && line != "*** HOLE CARDS ***") street.clear();
        if (line.rfind("Dealt to ", 0) == 0) h.dealt = line.substr(line.find('['));
        if (line.rfind("Total pot ", 0) == 0) h.totalPot = Amount(line.substr(0, line.find(' ', 11)));
        if (summary) continue;
        if (line.rfind("Seat ", 0) == 0 && line.find(" in chips)") != std::string::npos) {
            const std::size_t open = line.rfind(" (");
            const std::string name = line.substr(line.find(": ") + 2, open - line.find(": ") - 2);
            h.stacks[name] = Amount(line.substr(open + 2, line.find(" in chips") - open - 2));
            continue;
        }
        const std::size_t collected = line.find(" collected ");
        if (collected != std::string::npos) {
            h.collected += Amount(line.substr(collected + 11, line.find(" from ") - collected - 11));
            continue;
        }
        const std::size_t colon = line.find(": ");
        if (colon == std::string::npos) continue;
        const std::string who = line.substr(0, colon);
        const std::string what = line.substr(colon + 2);
        Currency put;
        if (what.rfind("posts ", 0) == 0 || what.rfind("calls ", 0) == 0 || what.rfind("bets ", 0) == 0)
            put = Amount(what.substr(0, what.find(" and is")));
        else if (what.rfind("raises ", 0) == 0)
            put = Amount(what.substr(what.find(" to ") + 4, what.find(" and is") - what.find(" to ") - 4)) -
                  street[who];
        street[who] += put;
        h.putIn += put;
    }
    return hands;
}

class HandHistoryGames : public ::testing::TestWithParam<std::string> {
protected:
    void SetUp() override { test::ResetProcessState(); }
    test::RecordingMessageBox box;
};

// Random games in each language: the parsed hands and the written text both
// square per hand, the stacks are the ones the table had, and the viewer's
// own cards are in every hand it was dealt into.
TEST_P(HandHistoryGames, EveryHandAddsUpAndShowsTheOwnCards)
{
    const Language language = Load(GetParam());
    const Language english = Load("English");
    const Language german = Load("Deutsch");
    ASSERT_FALSE(language.LangText[Msg::Wins].empty());
    Random random(4242);
    ProgramRandom().Seed(1234);
    int handsChecked = 0;
    for (int game = 0; game < 10 && !HasFatalFailure(); ++game) {
        test::GameSetup setup;
        setup.type = std::vector<std::string>{"THLI", "THPL", "THNL"}[game % 3];
        setup.names = {"Ann", "Bob calls", "Zo\xc3\xab", "K*9 %", "Li $5"};
        setup.names.resize(static_cast<std::size_t>(2 + game % 4));
        setup.startCash = Whole(100 + game * 37) + Currency::FromRaw(5000);
        setup.smallBlind = game % 2 ? Currency::FromRaw(25000) : Whole(5);
        setup.bigBlind = setup.smallBlind * 2;
        test::TempDir dir;
        test::WriteGameFolder(dir.Path(), setup);
        test::RecordingView view;
        view.drawsSeats = false;
        // The host's table plays; the viewer is player 2, whose session the
        // history is written for.
        Table host(view, test::SessionAt(dir.Path(), 1, setup.type), language);
        ASSERT_TRUE(host.Init());
        const TableState& s = host.State();
        std::vector<std::vector<Currency>> cashAtStart; // per hand, per seat
        view.onHandEnded = [&](const Table&) { cashAtStart.push_back(s.PlayerCash); };
        cashAtStart.push_back(s.PlayerCash);
        test::PlayRandomly(host, dir.Path(), random, [&] { return view.handsEnded >= 25; });
        host.Tick(); // the last lines into the log

        std::size_t chosen = 99;
        const ParsedHistory parsed =
            ParseHandHistoryBest(host.MsgLines(), 2, {&english, &german}, "$", &chosen);
        EXPECT_EQ(chosen, GetParam() == "English" ? 0u : 1u);
        ASSERT_EQ(static_cast<int>(parsed.hands.size()), view.handsEnded);
        for (std::size_t i = 0; i < parsed.hands.size(); ++i) {
            const HistoryHand& h = parsed.hands[i];
            EXPECT_EQ(h.number, static_cast<long>(i) + 1);
            EXPECT_TRUE(h.Balanced()) << "hand " << h.number << " in " << h.Contributed().ToString()
                                      << " out " << h.Collected().ToString();
            // Player 2 is dealt in while it has chips.
            EXPECT_EQ(h.holeCards.size(), cashAtStart[i][2] > Currency() ? 2u : 0u) << "hand " << h.number;
        }

        std::string error;
        auto source = ReadFolderHistory(dir.Path(), error);
        ASSERT_TRUE(source) << error;
        source->game.viewer = 2;
        const HistoryText text = WriteHandHistory(parsed, source->game);
        EXPECT_EQ(text.handsSkipped, 0);
        const std::vector<ReadBack> back = ReadText(text.text);
        ASSERT_EQ(back.size(), parsed.hands.size());
        for (std::size_t i = 0; i < back.size(); ++i) {
            const ReadBack& h = back[i];
            EXPECT_EQ(h.putIn, h.collected) << "hand " << h.number << "\n" << text.text;
            EXPECT_EQ(h.totalPot, h.collected) << "hand " << h.number;
            for (const auto& [name, stack] : h.stacks) {
                const auto seat = std::find(setup.names.begin(), setup.names.end(), name);
                ASSERT_NE(seat, setup.names.end()) << name;
                EXPECT_EQ(stack, cashAtStart[i][static_cast<std::size_t>(seat - setup.names.begin()) + 1])
                    << name << " in hand " << h.number;
            }
            EXPECT_FALSE(h.stacks.empty());
            EXPECT_EQ(h.dealt.empty(), parsed.hands[i].holeCards.empty());
            ++handsChecked;
        }
    }
    EXPECT_GT(handsChecked, 40);
}

INSTANTIATE_TEST_SUITE_P(Languages, HandHistoryGames, ::testing::Values("English", "Deutsch"));

// A small hand as the host writes it, with the hand that follows started.
std::vector<std::string> FixedHand()
{
    return {
        "iWelcome to the table, Ann!",
        "i--- Hand 1 --- The host starts the round when everyone is seated.",
        "sBob posts the small blind of $0.50.",
        "sAnn posts the big blind of $1.",
        "dShuffling the deck and dealing the hole cards.",
        "2c0_12,1_11",
        "1c2_12,3_11",
        "sBob puts in $2.50, raising the stake to $3.",
        "1sIt is your turn.",
        "mBob says: Ann wins $100.",
        "sAnn calls $2.",
        "d\r\nThe flop:",
        "c3_2,3_12,2_3",
        "sBob checks.",
        "sAnn puts in $4, raising the stake to $7.",
        "sBob goes all in with $7, raising the stake to $10.",
        "sAnn goes all in with $3.",
        "d\r\nEveryone is all in. The rest of the board:",
        "c1_8,0_0",
        "dShowdown for the main pot:",
        "nAnn:",
        "c2_12,3_12,3_11,1_8,2_3",
        "tOne Pair (Aces)",
        "nBob:",
        "c3_12,0_12,1_11,1_8,2_3",
        "tOne Pair (Aces)",
        "s\r\n2 players share the pot.",
        "wAnn wins $10.",
        "wBob wins $10.",
        "i--- Hand 2 ---",
        "sAnn posts the small blind of $0.50.",
    };
}

HistoryGame FixedGame()
{
    const std::vector<std::string> seats{"Ann", "Bob"};
    return {"Friday",  "THNL", "$", Currency::FromRaw(5000), Whole(1),
            Whole(10), seats,  1,   "2026/12/07 10:15:00"};
}

TEST(HandHistoryTest, FixedHandInTheTrackerLayout)
{
    const Language english = Load("English");
    const ParsedHistory parsed = ParseHandHistory(FixedHand(), 1, english, "$");
    ASSERT_EQ(parsed.hands.size(), 2u);
    const HistoryText text = WriteHandHistory(parsed, FixedGame());
    EXPECT_EQ(text.handsWritten, 1);
    EXPECT_EQ(text.handsSkipped, 1); // hand 2 has not finished
    EXPECT_EQ(text.text,
              "Scrivo Poker Hand #1: Hold'em No Limit ($0.50/$1) - 2026/12/07 10:15:00\n"
              "Table 'Friday' 9-max Seat #1 is the button\n"
              "Seat 1: Ann ($10 in chips)\n"
              "Seat 2: Bob ($10 in chips)\n"
              "Bob: posts small blind $0.50\n"
              "Ann: posts big blind $1\n"
              "*** HOLE CARDS ***\n"
              "Dealt to Ann [As Kc]\n"
              "Bob: raises $2 to $3\n"
              "Ann: calls $2\n"
              "*** FLOP *** [4c Ac 5s]\n"
              "Bob: checks\n"
              "Ann: bets $4\n"
              "Bob: raises $3 to $7 and is all-in\n"
              "Ann: calls $3 and is all-in\n"
              "*** TURN *** [4c Ac 5s] [Td]\n"
              "*** RIVER *** [4c Ac 5s Td] [2h]\n"
              "*** SHOW DOWN ***\n"
              "Ann: shows [As Kc] (One Pair (Aces))\n"
              "Bob: shows [Ah Kd] (One Pair (Aces))\n"
              "Ann collected $10 from pot\n"
              "Bob collected $10 from pot\n"
              "*** SUMMARY ***\n"
              "Total pot $20 | Rake $0\n"
              "Board [4c Ac 5s Td 2h]\n"
              "Seat 1: Ann (button) (big blind) showed [As Kc] and won ($10) with One Pair (Aces)\n"
              "Seat 2: Bob (small blind) showed [Ah Kd] and won ($10) with One Pair (Aces)\n"
              "\n\n");
}

// A hand whose payout line is missing does not square: it is left out, and
// the stacks of the hands after it are no longer known, so none are shown.
TEST(HandHistoryTest, HandThatDoesNotAddUpIsLeftOutAndStacksAreDropped)
{
    const Language english = Load("English");
    std::vector<std::string> lines = FixedHand();
    lines.erase(std::find(lines.begin(), lines.end(), "wBob wins $10."));
    lines.insert(lines.end(), {"sBob posts the big blind of $1.", "sBob checks.",
                               "dThe main pot goes to Bob, the only player left in it.", "wBob wins $1.50."});
    // Ann's small blind is all she put in; Bob collects both blinds.
    const ParsedHistory parsed = ParseHandHistory(lines, 1, english, "$");
    ASSERT_EQ(parsed.hands.size(), 2u);
    EXPECT_FALSE(parsed.hands[0].Balanced());
    EXPECT_TRUE(parsed.hands[1].Balanced());
    const HistoryText text = WriteHandHistory(parsed, FixedGame());
    EXPECT_EQ(text.handsWritten, 1);
    EXPECT_EQ(text.handsSkipped, 1);
    EXPECT_EQ(text.text.find("in chips"), std::string::npos) << text.text;
    EXPECT_NE(text.text.find("Hand #2"), std::string::npos);
}

} // namespace
} // namespace scrivo

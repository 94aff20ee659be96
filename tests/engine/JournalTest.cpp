#include "engine/HandJournal.h"

#include <cstdio>
#include <cstdlib>
#include <functional>
#include <fstream>
#include <regex>
#include <sstream>
#include <tuple>

#include <gtest/gtest.h>

#include "engine/HandHistory.h"
#include "engine/Table.h"
#include "platform/Paths.h"
#include "settings/Settings.h"
#include "settings/TextIds.h"
#include "testsupport/EngineFixtures.h"
#include "testsupport/FakeClock.h"

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

std::vector<JournalRecord> ReadRecords(const std::string& folder)
{
    auto batch = ReadJournalFile(folder);
    EXPECT_TRUE(batch.Ok()) << batch.status.description;
    EXPECT_EQ(batch->damagedBytes, 0);
    return batch->records;
}

void WriteRecords(const std::string& folder, const std::vector<JournalRecord>& records)
{
    std::ofstream out(JournalFilePath(folder), std::ios::binary | std::ios::trunc);
    for (const JournalRecord& r : records)
        out << EncodeJournalRecord(r);
}

// A game of the host's table with random requests, where now and then the
// player on turn lets the time run out and one player leaves mid-hand. The
// cash of every seat after each hand is kept.
struct PlayedGame {
    test::TempDir dir;
    test::GameSetup setup;
    std::vector<std::vector<Currency>> cashAfter; // per hand
    std::vector<std::vector<Currency>> cashBefore;
};

void Play(PlayedGame& g, const Language& language, HandRules rules, std::uint64_t seed, int hands)
{
    test::ScopedFakeClock clock;
    test::WriteGameFolder(g.dir.Path(), g.setup);
    test::RecordingView view;
    view.drawsSeats = false;
    GameSession session = test::SessionAt(g.dir.Path(), 1, g.setup.type);
    session.Rules = rules;
    session.TurnSeconds = 30;
    ProgramRandom().Seed(seed);
    Table host(view, session, language);
    ASSERT_TRUE(host.Init());
    const TableState& s = host.State();
    view.onHandEnded = [&](const Table&) { g.cashAfter.push_back(s.PlayerCash); };
    Random random(seed);
    bool left = false;
    for (int guard = 0; guard < 200000 && s.Stage != StageGameOver && view.handsEnded < hands; ++guard) {
        if (host.CanStartRound()) {
            g.cashBefore.push_back(s.PlayerCash);
            host.StartRound();
        }
        host.Tick();
        if (s.CurrentPlayer < 1 || s.Stage < StagePreFlop || s.Stage >= StageShowdown) continue;
        const int p = s.CurrentPlayer;
        const int pick = random.Below(100);
        if (pick < 4) {
            clock.clock.Advance(std::chrono::seconds(31)); // the turn runs out
        } else if (!left && view.handsEnded >= 1 && p == s.PlayerCount) {
            test::SetAction(g.dir.Path(), p, "D");
            left = true;
        } else {
            // Legal requests of every kind, as the rules allow them now.
            const BetLimits limits = LimitsFor(host.Hand(), p);
            const Currency call = CallAmount(limits);
            const RaiseRange range = RaiseAmounts(limits);
            std::string request = call.IsZero() ? "C" : "R" + std::min(call, limits.myCash).ToString();
            if (pick < 14)
                request = "F";
            else if (pick < 16)
                request = "R" + limits.myCash.ToString();
            else if (pick < 40 && range.raise)
                request = "R" + (pick < 18 ? range.most : range.least).ToString();
            test::SetAction(g.dir.Path(), p, request);
        }
    }
    host.Tick();
}

// Reads the text layout back as a tracker does: per hand what went in, what
// was collected and returned, and the chips on the seat lines.
struct TextHand {
    Currency putIn, collected, returned;
    std::vector<Currency> stacks;
};
std::vector<TextHand> ReadText(const std::string& text)
{
    static const std::regex money(R"(\$([0-9]+(\.[0-9]+)?))");
    const auto amount = [](const std::string& s, std::size_t from = 0) {
        std::smatch m;
        const std::string tail = s.substr(from);
        return std::regex_search(tail, m, money) ? *Currency::Parse(m[1].str()) : Currency();
    };
    std::vector<TextHand> hands;
    std::map<std::string, Currency> street;
    std::istringstream in(text);
    bool summary = false;
    for (std::string line; std::getline(in, line);) {
        if (line.rfind("PokerStars Hand #", 0) == 0) {
            hands.emplace_back();
            summary = false;
            continue;
        }
        if (hands.empty()) continue;
        TextHand& h = hands.back();
        if (line.rfind("*** SUMMARY", 0) == 0) summary = true;
        if (line.rfind("*** ", 0) == 0 && line != "*** HOLE CARDS ***") street.clear();
        if (summary) continue;
        if (line.rfind("Seat ", 0) == 0 && line.find(" in chips)") != std::string::npos) {
            h.stacks.push_back(amount(line, line.rfind(" (")));
        } else if (line.rfind("Uncalled bet (", 0) == 0) {
            h.returned += amount(line);
        } else if (const std::size_t at = line.find(" collected "); at != std::string::npos) {
            h.collected += amount(line, at);
        } else if (const std::size_t colon = line.find(": "); colon != std::string::npos) {
            const std::string who = line.substr(0, colon), what = line.substr(colon + 2);
            Currency put;
            if (what.rfind("raises ", 0) == 0)
                put = amount(what, what.find(" to ")) - street[who];
            else if (what.rfind("posts ", 0) == 0 || what.rfind("calls ", 0) == 0 ||
                     what.rfind("bets ", 0) == 0)
                put = amount(what);
            street[who] += put;
            h.putIn += put;
        }
    }
    return hands;
}

class JournalGames : public ::testing::TestWithParam<std::tuple<const char*, HandRules>> {
protected:
    void SetUp() override { test::ResetProcessState(); }
    test::RecordingMessageBox box;
};

// Random games in every structure under both rule sets: every hand of the
// journal replays through the rules to the host's stacks, and both exports
// add up hand by hand.
TEST_P(JournalGames, EveryHandReplaysToTheHostsStacksAndBothExportsAddUp)
{
    const auto [type, rules] = GetParam();
    PlayedGame g;
    g.setup.type = type;
    g.setup.names = {"Ann", "Bob", "Cy", "Dee", "Eve"};
    g.setup.cash = {Whole(300), Whole(120), Whole(60), Whole(90), Whole(200)};
    g.setup.smallBlind = Currency::FromRaw(25000);
    g.setup.bigBlind = Whole(5);
    Play(g, Load("English"), rules, 99, 25);
    ASSERT_FALSE(HasFatalFailure());

    const JournalGame game = GroupJournal(ReadRecords(g.dir.Path()));
    ASSERT_TRUE(game.table);
    ASSERT_GE(game.hands.size(), g.cashAfter.size());
    ASSERT_GE(g.cashAfter.size(), 6u);
    std::map<JournalKind, int> seen;
    for (std::size_t i = 0; i < g.cashAfter.size(); ++i) {
        const JournalHand& hand = game.hands[i];
        EXPECT_TRUE(VerifyHand(*game.table, hand).Ok())
            << "hand " << hand.number << ": " << VerifyHand(*game.table, hand).detail;
        for (const JournalRecord& r : hand.events) {
            ++seen[r.kind];
            if (r.kind == JournalKind::Stack) {
                EXPECT_EQ(r.amount, g.cashAfter[i][static_cast<std::size_t>(r.seat)]);
            }
            if (r.kind == JournalKind::Pot && r.pot >= 2) ++seen[JournalKind::Table]; // a side pot
            if (r.Has(JournalFlag::TimedOut)) ++seen[JournalKind::Hand];
            if (r.kind == JournalKind::Fold && r.Has(JournalFlag::Left)) ++seen[JournalKind::Seat];
        }
    }
    // Side pots, uncalled bets, time-outs and a player leaving all came up.
    for (JournalKind k : {JournalKind::Table, JournalKind::Return, JournalKind::Hand, JournalKind::Seat})
        EXPECT_GT(seen[k], 0) << static_cast<char>(k);

    std::string error;
    const auto text = FolderHandHistory(g.dir.Path(), HistoryFormat::PokerStars, 2, error);
    ASSERT_TRUE(text) << error;
    EXPECT_EQ(text->handsSkipped, game.hands.size() > g.cashAfter.size() ? 1 : 0);
    const std::vector<TextHand> back = ReadText(text->text);
    ASSERT_EQ(back.size(), g.cashAfter.size());
    for (std::size_t i = 0; i < back.size(); ++i) {
        EXPECT_EQ(back[i].putIn, back[i].collected + back[i].returned) << "hand " << i + 1;
        std::vector<Currency> dealt;
        for (const JournalRecord& s : game.hands[i].seats)
            if (s.Has(JournalFlag::Dealt)) dealt.push_back(g.cashBefore[i][static_cast<std::size_t>(s.seat)]);
        EXPECT_EQ(back[i].stacks, dealt) << "hand " << i + 1;
    }
    EXPECT_NE(text->text.find("Dealt to Bob ["), std::string::npos);

    const auto ohh = FolderHandHistory(g.dir.Path(), HistoryFormat::Ohh, 2, error);
    ASSERT_TRUE(ohh);
    std::size_t objects = 0;
    for (std::size_t at = 0; (at = ohh->text.find("{\"ohh\": {", at)) != std::string::npos; ++at)
        ++objects;
    EXPECT_EQ(objects, back.size());
}

INSTANTIATE_TEST_SUITE_P(StructuresAndRules, JournalGames,
                         ::testing::Combine(::testing::Values("THLI", "THPL", "THNL"),
                                            ::testing::Values(HandRules::Standard, HandRules::Classic)));

// The same deal played with a German host gives the same journal and the
// same exported hands as with an English one; only ids and times differ.
TEST(JournalLanguages, AGermanGameExportsTheSameHandsAsAnEnglishOne)
{
    test::ResetProcessState();
    test::RecordingMessageBox box;
    std::vector<std::string> exports;
    for (const char* name : {"English", "Deutsch"}) {
        PlayedGame g;
        g.setup.names = {"Ann", "Bob", "Cy"};
        Play(g, Load(name), HandRules::Standard, 7, 8);
        std::string error;
        for (HistoryFormat format : {HistoryFormat::PokerStars, HistoryFormat::Ohh}) {
            const auto text = FolderHandHistory(g.dir.Path(), format, 1, error);
            ASSERT_TRUE(text) << error;
            static const std::regex ids(
                R"((#|"game_number": ")[0-9]+|[0-9]{4}[-/][0-9]{2}[-/][0-9]{2}[ T][0-9:]+Z?)");
            exports.push_back(std::regex_replace(text->text, ids, "X"));
        }
    }
    EXPECT_EQ(exports[0], exports[2]);
    EXPECT_EQ(exports[1], exports[3]);
    EXPECT_GT(exports[0].size(), 500u);
}

// A forged journal is caught: by the replay, by scrivo-folder --verify and
// with the player's line that says what is wrong.
TEST(JournalForgery, ForgedRecordsAreCaughtByTheReplayAndTheFolderTool)
{
    test::ResetProcessState();
    test::RecordingMessageBox box;
    PlayedGame g;
    g.setup.names = {"Ann", "Esc\x1b[2J\x07\rX", "Cy"};
    Play(g, Load("English"), HandRules::Standard, 11, 6);
    const std::vector<JournalRecord> sound = ReadRecords(g.dir.Path());
    const Language english = Load("English");
    const auto first = [&](JournalKind kind) {
        return static_cast<std::size_t>(
            std::find_if(sound.begin(), sound.end(), [&](const JournalRecord& r) { return r.kind == kind; }) -
            sound.begin());
    };
    // The verdict on the first hand that does not add up.
    const auto verdict = [](const std::vector<JournalRecord>& records) {
        const JournalGame game = GroupJournal(records);
        for (const JournalHand& hand : game.hands)
            if (HandVerdict v = VerifyHand(*game.table, hand); !v.Ok()) return std::make_pair(v, hand);
        return std::make_pair(HandVerdict{}, JournalHand{});
    };
    using P = HandVerdict::Problem;
    const std::size_t win = first(JournalKind::Win);
    const struct {
        const char* what;
        std::function<void(std::vector<JournalRecord>&)> forge;
        P problem;
    } forgeries[] = {
        {"the win goes to another seat", [&](auto& r) { r[win].seat = r[win].seat % 3 + 1; }, P::PaidTooMuch},
        {"a win grows", [&](auto& r) { r[win].amount += Whole(40); }, P::PaidTooMuch},
        {"a win is dropped", [&](auto& r) { r.erase(r.begin() + static_cast<std::ptrdiff_t>(win)); },
         P::PaidTooLittle},
        {"a call below the call",
         [&](auto& r) { r[first(JournalKind::Call)].amount = Currency::FromRaw(100); }, P::Illegal},
        {"a stack at the end", [&](auto& r) { r[first(JournalKind::Stack)].amount += Whole(1); },
         P::StackOff},
        {"a blind", [&](auto& r) { r[first(JournalKind::Blind)].amount += Whole(1); }, P::Differs},
    };
    const std::string tool = SCRIVO_FOLDER_TOOL;
    const auto run = [&](const std::string& args) {
        return std::system(("'" + tool + "' " + args + " >'" + g.dir.File("out.txt") + "' 2>&1").c_str());
    };
    EXPECT_EQ(run("--verify '" + g.dir.Path() + "'"), 0) << test::TempDir::Read(g.dir.File("out.txt"));
    // Names go out escaped: nothing in them moves the terminal.
    EXPECT_EQ(run("--hand-history '" + g.dir.Path() + "' --player 2"), 0);
    const std::string printed = test::TempDir::Read(g.dir.File("out.txt"));
    EXPECT_NE(printed.find("Esc\\x1b[2J\\x07\\x0dX"), std::string::npos) << printed;
    EXPECT_EQ(printed.find_first_of("\x1b\x07\r"), std::string::npos);

    for (const auto& f : forgeries) {
        std::vector<JournalRecord> forged = sound;
        f.forge(forged);
        EXPECT_EQ(verdict(forged).first.problem, f.problem) << f.what << ": " << verdict(forged).first.detail;
        WriteRecords(g.dir.Path(), forged);
        EXPECT_NE(run("--verify '" + g.dir.Path() + "'"), 0) << f.what;
    }
    // A damaged byte: the reader skips the record and the hand is short of it.
    WriteRecords(g.dir.Path(), sound);
    {
        std::fstream file(JournalFilePath(g.dir.Path()), std::ios::in | std::ios::out | std::ios::binary);
        file.seekp(static_cast<std::streamoff>(win * JournalRecordLength + 9));
        file.put('\x55');
    }
    EXPECT_NE(run("--verify '" + g.dir.Path() + "'"), 0);

    // The player's line for a payout above what the rules give.
    std::vector<JournalRecord> forged = sound;
    forged[win].amount += Whole(40);
    const auto [v, hand] = verdict(forged);
    EXPECT_EQ(VerdictLine(v, hand, english, "$"),
              english.FormatText(Msg::HandPaidTooMuch, std::to_string(hand.number),
                                 hand.Name(forged[win].seat), "$40"));
}

// A client replays the journal between hands and says so when its host paid
// the wrong player.
TEST(JournalClient, AClientCatchesAHostThatPaysTheWrongPlayer)
{
    test::ResetProcessState();
    test::RecordingMessageBox box;
    const Language english = Load("English");
    test::HostAndClient game(test::GameSetup{}, 2, english);
    ASSERT_TRUE(game.Open());
    std::vector<std::string> lines;
    game.clientView.onLines = [&](const std::vector<LogLine>& fresh) {
        for (const LogLine& l : fresh)
            lines.push_back(l.Text());
    };
    ASSERT_TRUE(game.host->StartRound());
    Random random(3);
    const TableState& s = game.host->State();
    for (int guard = 0; guard < 2000 && game.hostView.handsEnded < 1; ++guard) {
        game.host->Tick();
        if (s.CurrentPlayer >= 1 && s.Stage >= StagePreFlop && s.Stage < StageShowdown)
            test::SetAction(game.dir.Path(), s.CurrentPlayer,
                            test::RandomRequest(random, s, s.CurrentPlayer));
    }
    // The host pays hand 1's pot to the other player.
    std::vector<JournalRecord> records = ReadRecords(game.dir.Path());
    for (JournalRecord& r : records)
        if (r.kind == JournalKind::Win) r.seat = 3 - r.seat;
    WriteRecords(game.dir.Path(), records);
    game.client->Tick();
    game.client->Tick();
    EXPECT_EQ(game.client->Counters().handsChecked, 1);
    EXPECT_EQ(game.client->Counters().handsFailed, 1);
    ASSERT_FALSE(lines.empty());
    const auto line = std::find_if(lines.begin(), lines.end(), [](const std::string& l) {
        return l.rfind("Hand 1 does not add up: ", 0) == 0;
    });
    ASSERT_NE(line, lines.end());
    EXPECT_NE(line->find("too much"), std::string::npos) << *line;
}

} // namespace
} // namespace scrivo

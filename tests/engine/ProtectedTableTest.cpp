// Protected tables played in one process: a host and clients, each its own
// table on one game folder, the exchange of the cards between them.
#include <algorithm>
#include <cctype>
#include <functional>
#include <stdexcept>
#include <filesystem>
#include <fstream>
#include <memory>
#include <set>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "engine/Commands.h"
#include "engine/HandHistory.h"
#include "engine/Table.h"
#include "gamefolder/RecordFile.h"
#include "gamefolder/Records.h"
#include "platform/Paths.h"
#include "privacy/Protocol.h"
#include "testsupport/EngineFixtures.h"
#include "testsupport/FakeClock.h"
#include "testsupport/ProcessState.h"
#include "testsupport/RecordingMessageBox.h"
#include "testsupport/TempDir.h"

namespace scrivo {
namespace {

using namespace privacy;
using test::Whole;

// The records of the game's exchange, in file order.
std::vector<ExchangeRecord> ReadExchangeFile(const std::string& folder)
{
    std::ifstream in(folder + "/" + ExchangeFileName, std::ios::binary);
    std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    std::vector<ExchangeRecord> out;
    for (std::size_t at = 0; at + ExchangeRecordLength <= bytes.size(); at += ExchangeRecordLength)
        if (auto r = DecodeExchangeRecord(std::string_view(bytes).substr(at, ExchangeRecordLength)))
            out.push_back(*r);
        else
            out.emplace_back(); // keeps the places
    return out;
}

void AppendExchange(const std::string& folder, const ExchangeRecord& record)
{
    std::ofstream out(folder + "/" + ExchangeFileName, std::ios::binary | std::ios::app);
    out << EncodeExchangeRecord(record);
}

SigningKeys KeysFromFile(const std::string& path)
{
    std::ifstream in(path);
    std::string hex;
    in >> hex;
    SigningKeys keys;
    EXPECT_TRUE(FromHex(hex, keys.secretKey.data(), keys.secretKey.size()));
    std::copy(keys.secretKey.begin() + 32, keys.secretKey.end(), keys.publicKey.begin());
    return keys;
}

// A protected game: player 1 hosts, `bots` bots after him, then the
// clients; every human table has a key file of its own in keys/. The
// `translated` seats read the game in another language.
struct ProtectedGame {
    ProtectedGame(std::vector<std::string> names, int bots, long long cash = 1000,
                  std::set<int> translated = {})
    {
        for (int n = 0; n < other.LangText.Count; ++n)
            other.LangText[MsgId(n)] = "de" + language.LangText[MsgId(n)];
        setup.type = "THNL";
        setup.names = std::move(names);
        setup.bots = bots;
        setup.startCash = Whole(cash);
        test::WriteGameFolder(dir.Path(), setup);
        std::filesystem::create_directory(keys.Path() + "/k");
        views.resize(setup.names.size() + 1);
        lines.resize(setup.names.size() + 1);
        for (int p = 1; p <= static_cast<int>(setup.names.size()); ++p) {
            if (p >= 2 && p <= bots + 1) continue;
            GameSession session = test::SessionAt(dir.Path(), p, setup.type, bots);
            session.Protected = true;
            session.SigningKeyFile = KeyFile(p);
            session.Rules = HandRules::Standard;
            session.TurnSeconds = 20;
            views[static_cast<std::size_t>(p)] = std::make_unique<test::RecordingView>();
            auto& seen = lines[static_cast<std::size_t>(p)];
            views[static_cast<std::size_t>(p)]->onLines = [&seen](const std::vector<LogLine>& fresh) {
                for (const LogLine& l : fresh)
                    seen.push_back(l.line);
            };
            tables.push_back(std::make_unique<Table>(*views[static_cast<std::size_t>(p)], session,
                                                     translated.count(p) ? other : language));
        }
    }

    std::string KeyFile(int p) const { return keys.Path() + "/k/seat" + std::to_string(p) + ".key"; }

    bool Open()
    {
        return std::all_of(tables.begin(), tables.end(), [](auto& t) { return t->Init(); });
    }

    Table& Host() { return *tables.front(); }
    Table& At(int p)
    {
        for (auto& t : tables)
            if (t->Session().MyPlayerNo == p) return *t;
        throw std::logic_error("no such table");
    }

    // Changes the first record of kind that seat writes from now on, as a
    // cheating program of his would, signed with his key.
    void Falsify(int seat, ExchangeKind kind, std::function<void(ExchangeRecord&)> change)
    {
        const std::size_t from = ReadExchangeFile(dir.Path()).size();
        after = [=, this, done = false](Table&) mutable {
            if (done) return;
            std::vector<ExchangeRecord> records = ReadExchangeFile(dir.Path());
            for (std::size_t i = from; i < records.size(); ++i) {
                if (records[i].kind != kind || records[i].seat != seat) continue;
                change(records[i]);
                SignRecord(records[i], KeysFromFile(KeyFile(seat)));
                std::fstream f(dir.Path() + "/" + ExchangeFileName,
                               std::ios::binary | std::ios::in | std::ios::out);
                f.seekp(static_cast<std::streamoff>(i * ExchangeRecordLength));
                f << EncodeExchangeRecord(records[i]);
                done = true;
                return;
            }
        };
    }

    // Plays until the hand that is dealt now has ended.
    void PlayHand(int limit = 3000)
    {
        const int ended = views[1]->handsEnded;
        for (int round = 0; round < limit && views[1]->handsEnded == ended && !views[1]->gameEnded; ++round)
            Round();
    }

    // One round of polls; each player on turn checks or calls, or plays
    // what `choose` says. `skip` tables do not poll.
    void Round(const std::function<bool(Table&)>& skip = {})
    {
        if (Host().CanStartRound()) Host().StartRound();
        for (auto& t : tables) {
            if (skip && skip(*t)) continue;
            t->Tick();
            if (after) after(*t);
            if (t->MyTurn()) {
                const CommandOutcome out = choose ? choose(*t) : CheckOrCall(LimitsOf(*t), language);
                WriteRequest(*t, out);
            }
        }
    }

    Currency TotalCash() const
    {
        Currency sum;
        for (std::size_t p = 1; p <= setup.names.size(); ++p) {
            const PlayerRecord r = test::ReadSeat(dir.Path(), static_cast<int>(p));
            // Bets stand in the seats until the next hand clears them.
            sum += r.Cash;
            if (tables.front()->Hand().started && !tables.front()->Hand().over) sum += r.Bet;
        }
        return sum;
    }

    bool Said(int p, MsgId id) const
    {
        const std::string mark = test::Numbered(id).substr(0, test::Numbered(id).find(']') + 1);
        const auto& seen = lines[static_cast<std::size_t>(p)];
        return std::any_of(seen.begin(), seen.end(),
                           [&](const std::string& l) { return l.find(mark) != std::string::npos; });
    }

    test::FreshProcessState fresh;
    test::RecordingMessageBox box;
    test::TempDir dir;
    test::TempDir keys;
    test::GameSetup setup;
    Language language = test::NumberedLanguage(), other;
    std::vector<std::unique_ptr<test::RecordingView>> views;
    std::vector<std::vector<std::string>> lines;
    std::vector<std::unique_ptr<Table>> tables;
    std::function<CommandOutcome(Table&)> choose;
    std::function<void(Table&)> after;
};

TEST(ProtectedTable, HostAndTwoClientsPlayToTheEndWithChipsConserved)
{
    ProtectedGame game({"Ann", "Otto", "Bob", "Cleo"}, 1, 1000, {4});
    ASSERT_TRUE(game.Open());
    Random random(7);
    game.choose = [&](Table& t) {
        const BetLimits limits = LimitsOf(t);
        switch (random.Below(40)) {
        case 0:
            return AllIn(limits, game.language);
        case 1:
        case 2:
        case 3:
            return Fold(game.language);
        default:
            return CheckOrCall(limits, game.language);
        }
    };
    for (int round = 0; round < 4000 && !game.views[1]->gameEnded && game.views[1]->handsEnded < 12; ++round)
        game.Round();
    EXPECT_GE(game.views[1]->handsEnded, 3);
    EXPECT_EQ(game.box.Texts(), std::vector<std::string>{});
    EXPECT_EQ(game.TotalCash(), Whole(4000));
    for (auto& t : game.tables) {
        EXPECT_EQ(t->Counters().handsFailed, 0);
        EXPECT_EQ(t->Counters().cheatsNamed, 0);
    }
    EXPECT_EQ(game.Host().Counters().handsVoided, 0);
    // Bob's hand history shows him his own cards, which no file holds.
    std::string error;
    const auto history = TableHandHistory(game.At(3), HistoryFormat::PokerStars, error);
    ASSERT_TRUE(history) << error;
    EXPECT_NE(history->text.find("Dealt to Bob ["), std::string::npos);
    EXPECT_EQ(history->text.find("Dealt to Bob [..]"), std::string::npos);
    // Each player saw his own cards in his log, from no file, right after
    // the line that deals them, whatever language he reads.
    for (int p : {1, 3, 4}) {
        std::vector<std::string> seen;
        for (const std::string& l : game.lines[static_cast<std::size_t>(p)])
            if (LogLine{0, l}.VisibleTo(p)) seen.push_back(l);
        int shown = 0;
        for (std::size_t i = 1; i < seen.size(); ++i)
            if (seen[i].rfind(std::to_string(p) + "c", 0) == 0) {
                ++shown;
                EXPECT_EQ(seen[i - 1], "d" + test::Numbered(Msg::DealingHoleCards)) << p;
            }
        EXPECT_GE(shown, 3) << p;
    }
}

// Bob is all in on his blind and Ann has matched it: the board is run out
// as the hand starts, and not before its cards and Bob's are uncovered.
TEST(ProtectedTable, AHandAllInOnTheBlindsWaitsForItsCards)
{
    ProtectedGame game({"Ann", "Bob"}, 0);
    {
        auto seats = OpenRecordFile(PlayerFilePath(game.dir.Path()), PlayerRecordLength);
        ASSERT_TRUE(seats);
        PlayerRecord bob = *seats->ReadPlayer(2);
        bob.Cash = Whole(3);
        ASSERT_TRUE(seats->WritePlayer(2, bob));
    }
    ASSERT_TRUE(game.Open());
    game.PlayHand();
    ASSERT_GE(game.views[1]->handsEnded, 1);
    int reveals = 0;
    for (const ExchangeRecord& r : ReadExchangeFile(game.dir.Path()))
        reveals += r.kind == ExchangeKind::Open;
    EXPECT_GE(reveals, 1);
    EXPECT_EQ(game.Host().Counters().handsVoided, 0);
    EXPECT_EQ(game.At(2).Counters().handsFailed, 0);
    EXPECT_EQ(game.TotalCash(), Whole(1003));
}

// Each way of cheating at the deal, by Bob (seat 3): the other players name
// him once the hand's keys are out, and nobody else.
TEST(ProtectedTable, ACheatAtTheDealIsNamedByEveryOtherPlayer)
{
    struct Case {
        const char* what;
        ExchangeKind kind;
        MsgId named;
        std::function<void(ExchangeRecord&)> change;
    };
    const std::vector<Case> cases = {
        {"a point of his pass replaced by another card's", ExchangeKind::Pass, Msg::ShuffleFalsified,
         [](ExchangeRecord& r) { r.points[1].second = r.points[0].second; }},
        {"a layer that is not his key's", ExchangeKind::Layers, Msg::CardFalsified,
         [](ExchangeRecord& r) { r.points[0].second = *Lock(NewKey(), r.points[0].second); }},
        {"two cards swapped in his layers", ExchangeKind::Layers, Msg::CardFalsified,
         [](ExchangeRecord& r) { std::swap(r.points[0].second, r.points[1].second); }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        ProtectedGame game({"Ann", "Otto", "Bob", "Cleo"}, 1);
        ASSERT_TRUE(game.Open());
        game.Falsify(3, c.kind, c.change);
        game.PlayHand();
        for (int round = 0; round < 200; ++round)
            game.Round();
        for (int p : {1, 4}) {
            EXPECT_TRUE(game.Said(p, c.named)) << p;
            EXPECT_EQ(game.At(p).Counters().cheatsNamed, 1) << p;
        }
        const auto& host = game.lines[1];
        const std::string bob = test::Numbered(c.named, "1", "Bob");
        EXPECT_TRUE(
            std::any_of(host.begin(), host.end(), [&](const std::string& l) { return l == "s" + bob; }));
        EXPECT_EQ(game.TotalCash(), Whole(4000));
    }
}

// A player whose program stops while the cards are uncovered holds up the
// hand only for the turn time: the hand is void, every stake goes back,
// and the game goes on without him.
TEST(ProtectedTable, APlayerWhoStopsVoidsTheHandWithoutCostingAnyoneChips)
{
    ProtectedGame game({"Ann", "Otto", "Bob", "Cleo"}, 1);
    test::ScopedFakeClock fake; // after the game's fresh process state
    ASSERT_TRUE(game.Open());
    bool stopped = false;
    // Cleo stops right after her first request, with chips in the pot.
    game.choose = [&](Table& t) {
        if (t.Session().MyPlayerNo == 4) stopped = true;
        return CheckOrCall(LimitsOf(t), game.language);
    };
    const auto cleo = [&](Table& t) { return stopped && t.Session().MyPlayerNo == 4; };
    for (int round = 0; round < 400 && game.Host().Counters().handsVoided == 0; ++round) {
        game.Round(cleo);
        fake.clock.Advance(std::chrono::milliseconds(200));
    }
    ASSERT_EQ(game.Host().Counters().handsVoided, 1);
    EXPECT_EQ(game.TotalCash(), Whole(4000));
    for (int p = 1; p <= 4; ++p)
        EXPECT_EQ(test::ReadSeat(game.dir.Path(), p).Cash, Whole(1000)) << p;
    // Two more hands without her; the journal of the void hand adds up.
    const int ended = game.views[1]->handsEnded;
    for (int round = 0; round < 3000 && game.views[1]->handsEnded < ended + 2; ++round) {
        game.Round(cleo);
        fake.clock.Advance(std::chrono::milliseconds(50));
    }
    EXPECT_GE(game.views[1]->handsEnded, ended + 2);
    EXPECT_EQ(game.Host().Counters().handsVoided, 1);
    EXPECT_TRUE(game.Said(1, Msg::DealStalled));
    EXPECT_EQ(game.At(3).Counters().handsFailed, 0);
    EXPECT_GE(game.At(3).Counters().handsChecked, 2);
    EXPECT_EQ(game.TotalCash(), Whole(4000));
    EXPECT_TRUE(game.Host().IsAway(4));
    // Her program goes on: it publishes its key of the void hand, and she is
    // dealt in again from the next hand.
    bool dealt = false;
    game.choose = {};
    for (int round = 0; round < 3000 && !dealt; ++round) {
        game.Round();
        fake.clock.Advance(std::chrono::milliseconds(50));
        dealt = game.Host().Hand().started && game.Host().Hand().Seat(4).dealt;
    }
    EXPECT_TRUE(dealt);
    EXPECT_FALSE(game.Host().IsAway(4));
}

// A player's program ends in the middle of a hand: the host sees his seat
// let go and voids the hand at once instead of waiting out the turn time.
// Started again, the program takes his seat back with his key, says so, and
// he is dealt in again.
TEST(ProtectedTable, APlayerWhoseProgramEndsVoidsTheHandAtOnceAndComesBack)
{
    ProtectedGame game({"Ann", "Otto", "Bob", "Cleo"}, 1);
    test::ScopedFakeClock fake;
    ASSERT_TRUE(game.Open());
    std::optional<Clock::TimePoint> crashed;
    game.choose = [&](Table& t) {
        if (t.Session().MyPlayerNo == 4 && !crashed) crashed = ProgramClock().Now();
        return CheckOrCall(LimitsOf(t), game.language);
    };
    for (int round = 0; round < 400 && game.Host().Counters().handsVoided == 0; ++round) {
        game.Round();
        if (crashed && game.tables.back()->Session().MyPlayerNo == 4) game.tables.pop_back();
        fake.clock.Advance(std::chrono::milliseconds(200));
    }
    ASSERT_EQ(game.Host().Counters().handsVoided, 1);
    EXPECT_LT(ProgramClock().Now() - *crashed, std::chrono::seconds(5)); // the turn time is 20 s
    EXPECT_TRUE(game.Said(3, Msg::ProgramEndedVoid));
    EXPECT_EQ(game.TotalCash(), Whole(4000));

    GameSession session = test::SessionAt(game.dir.Path(), 4, game.setup.type, 1);
    session.Protected = true;
    session.SigningKeyFile = game.KeyFile(4);
    session.Rules = HandRules::Standard;
    session.TurnSeconds = 20;
    session.Rejoined = true;
    game.tables.push_back(std::make_unique<Table>(*game.views[4], session, game.language));
    ASSERT_TRUE(game.tables.back()->Init());
    game.choose = {};
    bool dealt = false;
    for (int round = 0; round < 3000 && !dealt; ++round) {
        game.Round();
        fake.clock.Advance(std::chrono::milliseconds(50));
        dealt = game.Host().Hand().started && game.Host().Hand().Seat(4).dealt;
    }
    EXPECT_TRUE(dealt);
    EXPECT_TRUE(game.Said(3, Msg::PlayerBack)); // her own line, vouched for by her key
    game.PlayHand();
    EXPECT_EQ(game.TotalCash(), Whole(4000));
}

// Anyone may write the folder: records that are not signed by the seat's
// key, a request written into another seat, a forged chat line and lines
// nobody vouches for change nothing and show nothing.
TEST(ProtectedTable, ForgedRecordsRequestsAndChatAreIgnored)
{
    ProtectedGame game({"Ann", "Bob", "Cleo"}, 0);
    test::ScopedFakeClock fake; // after the game's fresh process state
    ASSERT_TRUE(game.Open());
    const SigningKeys forger = NewSigningKeys();
    bool forged = false;
    game.choose = [&](Table& t) -> CommandOutcome {
        const int me = t.Session().MyPlayerNo;
        // Bob never acts: only a forged fold could move his turn.
        if (me == 2) return CommandOutcome{};
        if (me == 1 && !forged) {
            forged = true;
            // Bob's turn comes next: a fold in his seat, a signed-looking
            // request and chat under his seat with another key, a chat line
            // in the message file, a record of garbage.
            ExchangeRecord request;
            request.kind = ExchangeKind::Request;
            request.hand = ReadExchangeFile(game.dir.Path()).front().hand;
            for (const ExchangeRecord& r : ReadExchangeFile(game.dir.Path()))
                if (r.kind == ExchangeKind::Deal) request.hand = r.hand;
            request.seat = 2;
            request.step = 50;
            request.text = "F";
            SignRecord(request, forger);
            AppendExchange(game.dir.Path(), request);
            ExchangeRecord chat;
            chat.kind = ExchangeKind::Chat;
            chat.seat = 2;
            chat.step = 2;
            chat.text = "forged words";
            SignRecord(chat, forger);
            AppendExchange(game.dir.Path(), chat);
            ExchangeRecord junk;
            junk.kind = ExchangeKind::Seat;
            junk.seat = 2;
            junk.extra = forger.publicKey;
            junk.text = "Bob";
            SignRecord(junk, forger);
            AppendExchange(game.dir.Path(), junk);
            // Lines in the message file that no participant vouches for:
            // one the host could have written, Bob's leaving and coming back.
            for (const std::string& line :
                 {"m" + test::Numbered(Msg::ChatLine, "Bob", "more forged words"),
                  std::string("iforged: Bob shows aces"), std::string("wforged: Bob has left"),
                  std::string("2bforged: Bob is back")})
                EXPECT_TRUE(SendPlayerMessage(game.dir.Path(), line));
        }
        return CheckOrCall(LimitsOf(t), game.language);
    };
    bool bobsTurn = false;
    for (int round = 0; round < 300 && !bobsTurn; ++round) {
        game.Round();
        bobsTurn = forged && game.Host().State().CurrentPlayer == 2;
    }
    ASSERT_TRUE(bobsTurn);
    test::SetAction(game.dir.Path(), 2, "F");
    for (int round = 0; round < 40; ++round) {
        game.Round();
        fake.clock.Advance(std::chrono::milliseconds(200));
    }
    EXPECT_EQ(game.Host().State().CurrentPlayer, 2);
    EXPECT_GT(game.Host().Hand().Seat(2).total, Currency());
    EXPECT_FALSE(game.Host().Hand().Seat(2).folded);
    EXPECT_TRUE(game.Said(1, Msg::UnsignedIgnored));
    for (int p : {1, 3})
        for (const std::string& line : game.lines[static_cast<std::size_t>(p)])
            EXPECT_EQ(line.find("forged"), std::string::npos) << line;
    // Bob himself: his request and his chat are taken.
    ASSERT_TRUE(game.At(2).SendChat("real words, caf\xC3\xA9"));
    // A line too long for its record is cut before a character, not inside one.
    ASSERT_TRUE(game.At(2).SendChat(std::string(119, 'a') + "\xC3\xA9 and more"));
    game.choose = {};
    game.Round();
    game.Round();
    EXPECT_NE(game.Host().State().CurrentPlayer, 2);
    for (int p : {1, 3})
        EXPECT_TRUE(std::any_of(
            game.lines[static_cast<std::size_t>(p)].begin(), game.lines[static_cast<std::size_t>(p)].end(),
            [](const std::string& l) { return l.find("real words, caf\xC3\xA9") != std::string::npos; }));
    for (int p : {1, 3})
        EXPECT_TRUE(std::any_of(game.lines[static_cast<std::size_t>(p)].begin(),
                                game.lines[static_cast<std::size_t>(p)].end(), [](const std::string& l) {
                                    return l.find(std::string(119, 'a')) != std::string::npos &&
                                           l.find('\xC3') == std::string::npos;
                                }));
}

// While a hand is played, no file of the folder holds a card nobody has
// uncovered yet, in any form: its text, its point or the point's hex.
TEST(ProtectedTable, NoFileHoldsACardBeforeTheRulesShowIt)
{
    ProtectedGame game({"Ann", "Otto", "Bob", "Cleo"}, 1);
    ASSERT_TRUE(game.Open());
    int checks = 0;
    game.after = [&](Table& t) {
        if (&t != &game.Host() || !game.Host().Hand().started || game.Host().Hand().over) return;
        if (game.Host().Hand().street != Street::PreFlop) return;
        // The hole cards of everyone: the bot's from the host, the players'
        // from their own logs.
        std::vector<clsCard> hidden(game.Host().Hand().Seat(2).hole.begin(),
                                    game.Host().Hand().Seat(2).hole.end());
        for (int p : {1, 3, 4}) {
            const auto& seen = game.lines[static_cast<std::size_t>(p)];
            for (auto l = seen.rbegin(); l != seen.rend(); ++l)
                if (l->rfind(std::to_string(p) + "c", 0) == 0) {
                    for (const clsCard& c : ParseCardList(l->substr(2)).cards)
                        hidden.push_back(c);
                    break;
                }
        }
        // Card texts are looked for in every text: the exchange's points and
        // digests are random bytes, where a short text turns up by chance.
        std::int64_t hand = 0;
        std::string everything, texts;
        for (const ExchangeRecord& r : ReadExchangeFile(game.dir.Path())) {
            if (r.kind == ExchangeKind::Deal) hand = r.hand;
            texts += r.text + '\n';
        }
        for (const auto& entry : std::filesystem::directory_iterator(game.dir.Path())) {
            std::ifstream in(entry.path(), std::ios::binary);
            const std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
            everything += bytes + '\n';
            if (entry.path().filename() != ExchangeFileName) texts += bytes + '\n';
        }
        for (const clsCard& c : hidden) {
            const Point bare = CardPoint(HandTag(hand), CardNumber(c.suit, c.facevalue));
            const std::string raw(bare.bytes.begin(), bare.bytes.end());
            EXPECT_EQ(everything.find(raw), std::string::npos);
            EXPECT_EQ(everything.find(ToHex(bare.bytes)), std::string::npos);
            const std::string text = CardToText(c);
            for (std::size_t at = texts.find(text); at != std::string::npos; at = texts.find(text, at + 1)) {
                const bool digitBefore = at > 0 && std::isdigit(static_cast<unsigned char>(texts[at - 1]));
                const bool digitAfter = at + text.size() < texts.size() &&
                                        std::isdigit(static_cast<unsigned char>(texts[at + text.size()]));
                EXPECT_TRUE(digitBefore || digitAfter) << text << " in the folder";
            }
        }
        ++checks;
    };
    for (int hand = 0; hand < 3; ++hand)
        game.PlayHand();
    EXPECT_GE(checks, 3);
}

// A player whose program ended takes his seat back with the key he kept;
// a program with another key cannot take it.
TEST(ProtectedTable, OnlyTheSeatsOwnKeyTakesItBack)
{
    ProtectedGame game({"Ann", "Bob", "Cleo"}, 0);
    ASSERT_TRUE(game.Open());
    game.PlayHand();
    const auto reopen = [&](const std::string& keyFile) {
        GameSession session = game.At(3).Session();
        session.SigningKeyFile = keyFile;
        session.Rejoined = true;
        game.tables.back().reset();
        game.tables.back() = std::make_unique<Table>(*game.views[3], session, game.language);
        return game.tables.back()->Init();
    };
    EXPECT_FALSE(reopen(game.keys.Path() + "/k/other.key"));
    ASSERT_EQ(game.box.Texts().size(), 1u);
    EXPECT_NE(game.box.Texts()[0].find(test::Numbered(Msg::SeatKeyDiffers, "Cleo")), std::string::npos);
    EXPECT_TRUE(reopen(game.KeyFile(3))) << game.box.Texts().back();
    game.PlayHand();
    game.PlayHand();
    EXPECT_GE(game.views[1]->handsEnded, 3);
    EXPECT_EQ(game.Host().Counters().handsVoided, 0);
    EXPECT_EQ(game.TotalCash(), Whole(3000));
}

// A player who leaves out of turn signed his leaving: his next turn is a
// fold at once, the hand goes on without his program, and from the next
// hand he is out.
TEST(ProtectedTable, ASignedLeaveFoldsOnTheTurn)
{
    ProtectedGame game({"Ann", "Bob", "Cleo"}, 0);
    ASSERT_TRUE(game.Open());
    bool left = false;
    game.choose = [&](Table& t) {
        // Ann acts first and Bob leaves right after, before his turn.
        if (t.Session().MyPlayerNo == 1 && !left) {
            left = true;
            game.At(2).Leave();
        }
        return CheckOrCall(LimitsOf(t), game.language);
    };
    const auto bob = [&](Table& t) { return left && t.Session().MyPlayerNo == 2; };
    for (int round = 0; round < 60 && !(left && game.Host().Hand().Seat(2).folded); ++round)
        game.Round(bob);
    EXPECT_TRUE(game.Host().Hand().Seat(2).folded);
    EXPECT_TRUE(game.Host().Hand().Seat(2).left);
    game.PlayHand();
    game.PlayHand();
    // The others uncovered the rest of that hand without him, from his key.
    EXPECT_EQ(game.Host().Counters().handsVoided, 0);
    EXPECT_GE(game.views[1]->handsEnded, 2);
    EXPECT_FALSE(game.Host().Hand().Seat(2).dealt);
    EXPECT_EQ(game.TotalCash(), Whole(3000));
    // His leaving line is his own, vouched for by his key.
    EXPECT_TRUE(game.Said(3, Msg::PlayerLeft));
}

} // namespace
} // namespace scrivo

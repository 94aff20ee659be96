#include <dirent.h>
#include <functional>
#include <string>
#include <tuple>
#include <vector>

#include <gtest/gtest.h>

#include "gamefolder/Directory.h"
#include "gamefolder/Records.h"
#include "testsupport/RecordingMessageBox.h"
#include "testsupport/TempDir.h"

namespace scrivo {
namespace {

// A game in its third hand, as the host writes it.
GameRecord SoundGame()
{
    const auto whole = [](int n) { return Currency::FromWhole(n); };
    return {4,         2,         GameStatus::Turn(3), "Friday", "THPL",    whole(1000),
            whole(60), whole(20), whole(10),           whole(5), whole(10), "$"};
}

PlayerRecord SoundSeat()
{
    PlayerRecord r = NewSeatRecord(3, "Ann", Currency::FromWhole(980));
    std::tie(r.Bet, r.Action, r.Blind, r.Card1, r.Card2) =
        std::tuple(Currency::FromWhole(20), "R12.5", "BB", "2_12", "0_0");
    return r;
}

// Every record is checked as it comes off the disk.
GameRecord ThroughDisk(const GameRecord& g)
{
    return DecodeGameRecord(EncodeGameRecord(g));
}
PlayerRecord ThroughDisk(const PlayerRecord& p)
{
    return DecodePlayerRecord(EncodePlayerRecord(p));
}

TEST(RecordCheck, RecordsTheProgramWritesAreSound)
{
    EXPECT_EQ(CheckGameRecord(ThroughDisk(SoundGame())), std::nullopt);
    EXPECT_EQ(CheckPlayerRecord(ThroughDisk(SoundSeat()), 3), std::nullopt);
    EXPECT_EQ(CheckPlayerRecord(ThroughDisk(NewBoardRecord()), BoardPlayerNo), std::nullopt);
    // A fresh seat: cards 3 to 5 never written, the others blank.
    EXPECT_EQ(CheckPlayerRecord(ThroughDisk(NewSeatRecord(1, "Bot", Currency::FromWhole(5))), 2),
              std::nullopt);
    // The stored codes are what every other client reads.
    for (auto [status, code] : {std::pair{GameStatus::Waiting, "WS"},
                                {GameStatus::StartHand, "GS"},
                                {GameStatus::PrepareHand, "GP"},
                                {GameStatus::Turn(1), "P1"},
                                {GameStatus::Turn(4), "P4"},
                                {GameStatus::HandOver, "RE"},
                                {GameStatus::HandDone, "GR"},
                                {GameStatus::Ended, "GE"}}) {
        GameRecord g = SoundGame();
        g.Status = GameStatus::FromText(code);
        EXPECT_EQ(g.Status, status) << code;
        EXPECT_EQ(CheckGameRecord(ThroughDisk(g)), std::nullopt) << code;
    }
    for (const char* action : {"-", "C", "R", "R25", "Rabc", "F", "X", "A", "D", "O"}) {
        PlayerRecord p = SoundSeat();
        p.Action = action; // a request's amount is judged when it is processed
        EXPECT_EQ(CheckPlayerRecord(ThroughDisk(p), 9), std::nullopt) << action;
    }
    // The largest game a player can create, with all its money in one place.
    GameRecord rich = SoundGame();
    rich.StartCash = rich.SmallBlind = rich.BigBlind = MaxCreateAmount;
    rich.Pot = rich.MinBet = rich.LastRaise = MaxRecordAmount;
    EXPECT_EQ(CheckGameRecord(ThroughDisk(rich)), std::nullopt);
}

struct GameDamage {
    const char* field; // named in the text of the check
    std::function<void(GameRecord&)> damage;
};

TEST(RecordCheck, DamagedGameRecordsAreRefusedNamingTheField)
{
    const Currency huge = Currency::FromRaw(INT64_MAX);
    const std::vector<GameDamage> cases{
        {"PlayerCount", [](GameRecord& g) { g.PlayerCount = -1; }},
        {"PlayerCount", [](GameRecord& g) { g.PlayerCount = 0; }},
        {"PlayerCount", [](GameRecord& g) { g.PlayerCount = 10; }},
        {"BotCount", [](GameRecord& g) { g.BotCount = -1; }},
        {"BotCount", [](GameRecord& g) { g.BotCount = 9; }},
        {"Status", [](GameRecord& g) { g.Status = GameStatus::FromText("P5"); }}, // nobody in seat 5
        {"Status", [](GameRecord& g) { g.Status = GameStatus::FromText("P0"); }},
        {"Status", [](GameRecord& g) { g.Status = GameStatus::FromText("P"); }},
        {"Status", [](GameRecord& g) { g.Status = GameStatus::FromText("??"); }},
        {"Status", [](GameRecord& g) { g.Status = GameStatus::FromText(""); }},
        {"Status", [](GameRecord& g) { g.Status = GameStatus::FromText("\x1b["); }},
        {"GameType", [](GameRecord& g) { g.GameType = "thnl"; }},
        {"StartCash", [](GameRecord& g) { g.StartCash = Currency(); }},
        {"StartCash", [=](GameRecord& g) { g.StartCash = huge; }},
        {"SmallBlind", [](GameRecord& g) { g.SmallBlind = Currency::FromWhole(-5); }},
        {"BigBlind", [](GameRecord& g) { g.BigBlind = Currency::FromRaw(INT64_MIN); }},
        {"BigBlind", [](GameRecord& g) { g.BigBlind = MaxCreateAmount + Currency::FromRaw(1); }},
        {"Pot", [](GameRecord& g) { g.Pot = Currency::FromRaw(-1); }},
        {"MinBet", [=](GameRecord& g) { g.MinBet = huge; }},
        {"LastRaise", [](GameRecord& g) { g.LastRaise = MaxRecordAmount + Currency::FromRaw(1); }},
    };
    for (const auto& c : cases) {
        GameRecord g = SoundGame();
        c.damage(g);
        const auto problem = CheckGameRecord(ThroughDisk(g));
        ASSERT_TRUE(problem.has_value()) << c.field;
        EXPECT_EQ(problem->rfind(c.field, 0), 0u) << *problem;
        EXPECT_EQ(problem->find('\x1b'), std::string::npos) << "a message must not carry control bytes";
    }
}

struct SeatDamage {
    int playerNo;
    const char* field;
    std::function<void(PlayerRecord&)> damage;
};

TEST(RecordCheck, DamagedPlayerRecordsAreRefusedNamingTheField)
{
    const std::vector<SeatDamage> cases{
        {3, "Cash", [](PlayerRecord& p) { p.Cash = Currency::FromWhole(-1); }},
        {3, "Cash", [](PlayerRecord& p) { p.Cash = Currency::FromRaw(INT64_MAX); }},
        {3, "Bet", [](PlayerRecord& p) { p.Bet = MaxRecordAmount + Currency::FromRaw(1); }},
        {3, "Card1", [](PlayerRecord& p) { p.Card1 = "4_0"; }},
        {3, "Card2", [](PlayerRecord& p) { p.Card2 = "0_13"; }},
        {3, "Card3", [](PlayerRecord& p) { p.Card3 = "-1_2"; }},
        {3, "Card5", [](PlayerRecord& p) { p.Card5 = "ace"; }},
        {3, "Action", [](PlayerRecord& p) { p.Action = "Z"; }},
        {3, "Action", [](PlayerRecord& p) { p.Action = ""; }},
        {3, "Blind", [](PlayerRecord& p) { p.Blind = "XB"; }},
        {BoardPlayerNo, "Card4", [](PlayerRecord& p) { p.Card4 = "9_9"; }},
        {BoardPlayerNo, "Cash", [](PlayerRecord& p) { p.Cash = Currency::FromRaw(INT64_MIN); }},
        {10, "player", [](PlayerRecord&) {}},
        {-1, "player", [](PlayerRecord&) {}},
    };
    for (const auto& c : cases) {
        PlayerRecord p = c.playerNo == BoardPlayerNo ? NewBoardRecord() : SoundSeat();
        c.damage(p);
        const auto problem = CheckPlayerRecord(ThroughDisk(p), c.playerNo);
        ASSERT_TRUE(problem.has_value()) << c.field;
        EXPECT_EQ(problem->rfind(c.field, 0), 0u) << *problem;
    }
}

TEST(RecordCheck, PlayerCountMustHaveItsSeatRecords)
{
    const GameRecord g = SoundGame(); // four players: the board and four seats
    EXPECT_EQ(CheckSeatRecords(g, 5), std::nullopt);
    EXPECT_EQ(CheckSeatRecords(g, 12), std::nullopt);
    EXPECT_EQ(CheckSeatRecords(g, 4), "PlayerCount 4 but 3 seat records");
    EXPECT_EQ(CheckSeatRecords(g, 0), "PlayerCount 4 but 0 seat records");
}

// Whatever passes the checks can be added up by the table without overflow
// (every seat's cash and bet, the pot, a raise on top), and a player who has
// won every stack of the largest game still holds a sound amount.
TEST(RecordCheck, SoundRecordsLeaveRoomForEverySum)
{
    EXPECT_NO_THROW({
        Currency total = MaxRecordAmount * 3; // Pot, MinBet, LastRaise
        for (int p = 0; p < MaxPlayers; ++p)
            total += MaxRecordAmount + MaxRecordAmount; // Cash + Bet
        (void)(total * 2);
    });
    EXPECT_LE(MaxCreateAmount * MaxPlayers, MaxRecordAmount);
}

} // namespace
} // namespace scrivo

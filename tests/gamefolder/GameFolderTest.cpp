#include <algorithm>
#include <array>
#include <cerrno>
#include <csignal>
#include <functional>
#include <gtest/gtest.h>
#include <regex>
#include <set>
#include <sys/stat.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

#include "gamefolder/Directory.h"
#include "platform/LockBackoff.h"
#include "platform/Paths.h"
#include "testsupport/FakeClock.h"
#include "testsupport/FaultFileOps.h"
#include "testsupport/ProcessState.h"
#include "testsupport/RecordingMessageBox.h"
#include "testsupport/TempDir.h"

namespace scrivo {
namespace {

using namespace std::chrono_literals;
using Lines = std::vector<std::string>;

// The fields one after the other, each checked to start at its offset.
std::string Fields(const std::vector<std::pair<std::size_t, std::string>>& fields)
{
    std::string record;
    for (const auto& [offset, bytes] : fields)
        EXPECT_EQ((record += bytes).size() - bytes.size(), offset) << bytes;
    return record;
}

std::string LE(std::int64_t v, int bytes) // little-endian
{
    std::string s;
    for (auto u = static_cast<std::uint64_t>(v); bytes-- > 0; u >>= 8)
        s += static_cast<char>(u & 0xFF);
    return s;
}

const std::string Bytes = [] { // every byte value, twice over
    std::string s;
    for (int i = 0; i < 512; ++i)
        s += static_cast<char>(i);
    return s;
}();

std::string Pad(const std::string& s, std::size_t width)
{
    return s + std::string(width - s.size(), ' ');
}

TEST(RecordLayout, GameAndPlayerRecordsWithZeroBytesWhereNeverWritten)
{
    // A negative Integer keeps its two's-complement bytes.
    // clang-format off
    const GameRecord g{4, -2, GameStatus::Turn(3), "Friday", "THNL", Currency::FromWhole(50), Currency::FromRaw(125000),
        Currency::FromWhole(-1), Currency::FromRaw(1), Currency::FromWhole(1), Currency::FromWhole(2), "€"};
    EXPECT_EQ(EncodeGameRecord(g), Fields({{0, LE(4, 2)}, {2, LE(-2, 2)}, {4, "P3"}, {6, Pad("Friday", 25)},
        {31, "THNL"}, {35, LE(500000, 8)}, {43, LE(125000, 8)}, {51, LE(-10000, 8)}, {59, LE(1, 8)},
        {67, LE(10000, 8)}, {75, LE(20000, 8)}, {83, "\x80"}})); // the euro sign
    const PlayerRecord p{9, "Zoë", Currency::FromRaw(123456789), Currency::FromWhole(25), "R12.5", "BB",
        "2_12", "0_0", "3_9", "1_10", ""};
    EXPECT_EQ(EncodePlayerRecord(p), Fields({{0, LE(9, 2)}, {2, Pad("Zo\xEB", 25)}, {27, LE(123456789, 8)},
        {35, LE(250000, 8)}, {43, Pad("R12.5", 15)}, {58, "BB"}, {60, "2_12"}, {64, "0_0 "}, {68, "3_9 "},
        {72, "1_10"}, {76, "    "}}));
    EXPECT_EQ(DecodeGameRecord(EncodeGameRecord(g)), g);
    EXPECT_EQ(DecodePlayerRecord(EncodePlayerRecord(p)), p);

    // The board's money, action and blind, and a new seat's last three
    // cards, are never written; a read-modify-write keeps them zero.
    PlayerRecord board = DecodePlayerRecord(EncodePlayerRecord(NewBoardRecord()));
    board.Card1 = "1_1";
    EXPECT_EQ(EncodePlayerRecord(board),
        Fields({{0, LE(1, 2)}, {2, Pad("Cheats Beware!", 25)}, {27, std::string(33, '\0')}, {60, Pad("1_1", 20)}}));
    // clang-format on
    EXPECT_EQ(EncodePlayerRecord(NewSeatRecord(1, "", {})).substr(43), Pad("-", 25) + std::string(12, '\0'));
    // Whatever bytes another client stored go through a read-modify-write unchanged.
    for (std::size_t from = 0; from < 256; from += 80) {
        EXPECT_EQ(EncodePlayerRecord(DecodePlayerRecord(Bytes.substr(from, 80))), Bytes.substr(from, 80));
        EXPECT_EQ(EncodeGameRecord(DecodeGameRecord(Bytes.substr(from, 84))), Bytes.substr(from, 84));
    }
}

TEST(RecordLayout, MessageRecordIsTheLineCutPaddedAndRotatedLeftThreeBits)
{
    // "A" 0x41 -> 0x0A, the euro sign 0x80 -> 0x04, a pad blank 0x20 -> 0x01.
    EXPECT_EQ(EncodeMessageRecord({"A€"}), "\x0A\x04" + std::string(98, '\x01'));
    // Widths count stored bytes: the é is one.
    const std::string longLine = "mJosé: " + std::string(150, 'x');
    EXPECT_EQ(DecodeMessageRecord(EncodeMessageRecord({longLine})).Text, longLine.substr(0, 101));
    EXPECT_EQ(ScrambleText(ScrambleText(Bytes, ScrambleWriteRotation), ScrambleReadRotation), Bytes);
}

class FolderTest : public ::testing::Test {
protected:
    // A game as the browser makes it: the folder, then the bots one by one.
    FolderResult<GameSession> Create(const CreateRequest& request, const std::string& creator = "Ann")
    {
        FolderResult<GameSession> made = CreateGame(server, request, creator);
        for (int i = 1; made && i <= made->BotCount; ++i)
            EXPECT_TRUE(AddBot(*made, creator, botNames, bots));
        return made;
    }

    static std::string Id(const std::string& folder) { return folder.substr(folder.rfind('/') + 1); }
    std::string Read(const std::string& name) const { return test::TempDir::Read(dir.File(name)); }

    // A game folder as another client made it; from seat 3 on the seats hold an
    // accented name longer than the field.
    void MakeGame(const std::string& id, const char* status, std::int16_t players)
    {
        ::mkdir(dir.File(id).c_str(), 0777);
        std::string users = EncodePlayerRecord(NewBoardRecord());
        for (int p = 1; p <= players; ++p)
            users += EncodePlayerRecord(NewSeatRecord(p, p > 2 ? "Émile " + std::string(30, 'x') : "Al", {}));
        dir.Write(id + "/usr.spk", users);
        // clang-format off
        const GameRecord game{players, 0, GameStatus::FromText(status), " Friday ", "THNL", {}, {}, {}, {}, Currency::FromRaw(5000),
                              Currency::FromWhole(1), ""};
        // clang-format on
        dir.Write(id + "/gam.spk", EncodeGameRecord(game));
    }

    test::FreshProcessState fresh;
    test::TempDir dir;
    test::RecordingMessageBox boxes;
    test::ScopedFakeClock clock;
    const std::string server = dir.Path() + "/";
    const std::array<std::string, 9> botNames{"",     "Bot1", "Bot2", "Bot3", "Bot4",
                                              "Bot5", "Bot6", "Bot7", "Bot8"};
    BotCounter bots;
};

TEST_F(FolderTest, FailuresComeBackWithTheFileClosedAndNothingIsAsked)
{
    // A short gam.spk and a usr.spk without the record asked for.
    MakeGame("g", "WS", 1);
    const std::string users = Read("g/usr.spk");
    dir.Write("g/gam.spk", Read("g/gam.spk").substr(0, 83));
    EXPECT_EQ(ReadGameRecord(dir.File("g")).status.error, FolderError::NotThere);
    EXPECT_EQ(WriteGameRecord(dir.File("g"), GameStatus::Ended, false).error, FolderError::NotThere);
    EXPECT_EQ(ReadPlayerRecord(dir.File("g"), 2).status.error, FolderError::NotThere);
    EXPECT_EQ(WritePlayerRecord(dir.File("g"), "D", 9).error, FolderError::NotThere);
    // Without a game folder nothing is made in the working folder.
    EXPECT_EQ(WritePlayerRecord("", "D", 1).description, "No game folder");
    // A file that cannot be opened at all: whether to try again is the caller's.
    const FolderStatus gone = WritePlayerRecord(dir.File("gone"), "D", 1);
    EXPECT_EQ(gone.error, FolderError::Failed);
    EXPECT_EQ(gone.description,
              "File/Connection problem - " + dir.File("gone/usr.spk") + ": " + ErrorDescription(ENOENT));
    EXPECT_TRUE(boxes.shown.empty());                   // the caller reports, with its own prefix
    for (const char* file : {"g/gam.spk", "g/usr.spk"}) // nobody holds them
        EXPECT_EQ(LockedFile().TryOpen(dir.File(file)), LockedFile::OpenStatus::Ok) << file;
    EXPECT_EQ(Read("g/gam.spk").size(), 83u);
    EXPECT_EQ(Read("g/usr.spk"), users);
}

// Listing, creating and removing games while the file layer fails: each
// failure comes back with its error, and a game that could not be made
// leaves nothing behind.
TEST_F(FolderTest, FolderCallsThatFailComeBackAsTheirError)
{
    MakeGame("10_tmp", "WS", 2);
    MakeGame("20_tmp", "WS", 2);
    const CreateRequest request{"T", "50", "1", "2", "$", "0", 1};
    struct Case {
        const char* what;
        FileCall call;
        int first, error;
        std::function<FolderStatus()> operation;
    };
    // clang-format off
    const Case cases[] = {
        {"listing", FileCall::List, 1, EIO, [&] { return ListGames(server, "", {}).status; }},
        {"one game unreadable", FileCall::Open, 1, EACCES, [&] {
             const auto list = ListGames(server, "", {});
             EXPECT_EQ(list->rows.size(), 1u); // the other game is still listed
             return list.status; }},
        {"making the folder", FileCall::MakeFolder, 1, EACCES, [&] { return CreateGame(server, request, "Ann").status; }},
        {"seating the creator", FileCall::Write, 1, ENOSPC, [&] { return CreateGame(server, request, "Ann").status; }},
        {"removing a file", FileCall::RemoveFile, 2, EPERM, [&] { return CleanUpGameFiles(dir.File("10_tmp")); }},
        {"removing the folder", FileCall::RemoveFolder, 1, EBUSY, [&] { return CleanUpGameFiles(dir.File("20_tmp")); }}};
    // clang-format on
    for (const Case& c : cases) {
        test::FaultFileOps faults;
        faults.Fail(c.call, c.first, c.error);
        const FolderStatus status = c.operation();
        EXPECT_EQ(status.error, FolderError::Failed) << c.what;
        EXPECT_NE(status.description.find(ErrorDescription(c.error)), std::string::npos) << c.what;
    }
    EXPECT_TRUE(boxes.shown.empty());
    std::vector<std::string> left;
    ASSERT_EQ(CurrentFileOps().ListFolder(dir.Path(), left), 0);
    std::sort(left.begin(), left.end());
    EXPECT_EQ(left, (Lines{"10_tmp", "20_tmp"}));
}

TEST_F(FolderTest, TheListShowsLiveGamesAndJoinsThatFailChangeNoFile)
{
    GameSession current;
    EXPECT_TRUE(ListGames(server, "", current)->showNoGamesBox);
    EXPECT_TRUE(ListGames(dir.File("gone/"), "", current)->serverMissing);
    MakeGame("10_tmp", "WS", 9);
    MakeGame("20_tmp", "WS", 3);
    MakeGame("25_tmp", "WS", 1);
    MakeGame("30_tmp", "P3", 5);
    MakeGame("40_tmp", "GE", 2);
    MakeGame("45_tmp", "??", 2);
    ::mkdir(dir.File("50_tmp").c_str(), 0777); // no gam.spk
    dir.Write("60_tmp", "a file, not a folder");
    MakeGame("70_other", "WS", 2); // not a game folder name
    MakeGame("80_tmp", "WS", 1);
    dir.Write("80_tmp/gam.spk", std::string(40, 'x')); // still being written
    const auto list = ListGames(server, "30_tmp", current);
    ASSERT_EQ(list->rows.size(), 4u);
    EXPECT_EQ(list->rows[1].Line(), "Friday\t3\t0.5/1\tWaiting for Players");
    EXPECT_EQ(list->rows[3].Line(), "Friday\t5\t0.5/1\tIn Progress");
    EXPECT_EQ(list->selectRow, 3);
    EXPECT_EQ(ListGames(server, "40_tmp", current)->selectRow, 0); // no longer listed: the first row
    EXPECT_TRUE(SelectRow(*list, 3, false).enableJoin);
    EXPECT_FALSE(SelectRow(*list, 3, true).enableJoin);

    // A joined client opens the table once its own game has started; another
    // game of the same name is not its own.
    current.GameName = "Friday";
    current.GameFolder = dir.File("20_tmp");
    EXPECT_FALSE(ListGames(server, "", current)->openTable);
    current.GameFolder = dir.File("30_tmp");
    EXPECT_TRUE(ListGames(server, "", current)->openTable);
    current.IsHost = true;
    EXPECT_TRUE(ListGames(server, "", current)->enableCreate);
    current.GameFolder = dir.File("25_tmp");
    EXPECT_FALSE(ListGames(server, "", current)->enableCreate); // alone at the table
    EXPECT_TRUE(boxes.shown.empty());

    // usr.spk cannot be opened: the seat goes before the count, so the count stays.
    ::unlink(dir.File("25_tmp/usr.spk").c_str());
    ::mkdir(dir.File("25_tmp/usr.spk").c_str(), 0777);
    auto snapshot = [&] {
        std::string all;
        for (std::string id : {"10_tmp", "20_tmp", "25_tmp", "30_tmp"})
            all += Read(id + "/gam.spk");
        return all + Read("10_tmp/usr.spk") + Read("20_tmp/usr.spk") + Read("30_tmp/usr.spk");
    };
    const std::string before = snapshot();
    // Names compare as stored: cut to the field, without regard to case.
    for (const auto& [id, player, outcome, fileProblem] :
         std::vector<std::tuple<std::string, std::string, JoinOutcome, bool>>{
             {"", "Zed", JoinOutcome::NoGame, false},
             {"10_tmp", "Zed", JoinOutcome::Full, false},
             {"30_tmp", "Zed", JoinOutcome::Started, false},
             {"20_tmp", "AL", JoinOutcome::NameTaken, false},
             {"20_tmp", "al ", JoinOutcome::NameTaken, false},
             {"20_tmp", "cheats beware!", JoinOutcome::NameTaken, false},
             {"20_tmp", "émile " + std::string(40, 'X'), JoinOutcome::NameTaken, false},
             {"25_tmp", "Zed", JoinOutcome::Failed, true},
             {"99_tmp", "Zed", JoinOutcome::NoGame, false}}) {
        boxes.Clear();
        const JoinResult joined = JoinGame(server, id, player);
        EXPECT_EQ(joined.outcome, outcome) << id << " " << player;
        EXPECT_EQ(joined.session.MyPlayerNo, 0) << id << " " << player;
        if (fileProblem) {
            EXPECT_EQ(joined.status.description, "File/Connection problem - " + dir.File("25_tmp/usr.spk") +
                                                     ": " + ErrorDescription(EISDIR));
        }
    }
    EXPECT_TRUE(boxes.shown.empty());
    EXPECT_EQ(snapshot(), before);
    // E is not É.
    EXPECT_EQ(JoinGame(server, "20_tmp", "Emile " + std::string(40, 'X')).outcome, JoinOutcome::Joined);
}

TEST_F(FolderTest, CreateSeatsTheCreatorAndThreeBotsNoneNamedLikeHimAndAJoinerTakesTheNextSeat)
{
    // Beyond any amount: nothing is made.
    EXPECT_EQ(CreateGame(server, {"T", "50", "1e300", "2e300", "$", "0", 1}, "Ann").status.description,
              "Overflow");
    EXPECT_TRUE(ListGames(server, "", GameSession())->rows.empty());

    const auto created = Create({"Friday", "50", "1", "2", "$", "3", 1}, " bot1 ");
    ASSERT_TRUE(created);
    const std::string folder = created->GameFolder;
    const Currency one = Currency::FromWhole(1), cash = one * 50;
    EXPECT_TRUE(std::regex_match(folder, std::regex(dir.Path() + "/(0|[1-9][0-9]{0,8})_tmp"))) << folder;
    EXPECT_TRUE(created->IsHost && created->MyPlayerNo == 1 && created->BotCount == 3 &&
                created->GameType == "THPL" && created->MyCash == cash && created->GameName == "Friday");
    GameRecord game{4, 3, GameStatus::Waiting, "Friday", "THPL", cash, {}, {}, {}, one, one * 2, "$"};
    EXPECT_EQ(Read(Id(folder) + "/gam.spk"), EncodeGameRecord(game));
    // The first bot name is the creator's own (as stored), so the bots count on from Bot2.
    const PlayerRecord creator{2, " bot1 ", cash, {}, "-", "", "", "", "", "", ""};
    std::string users = EncodePlayerRecord(NewBoardRecord()) + EncodePlayerRecord(creator);
    for (const char* bot : {"Bot2", "Bot3", "Bot4"})
        users += EncodePlayerRecord(NewSeatRecord(1, bot, cash));
    EXPECT_EQ(Read(Id(folder) + "/usr.spk"), users);

    // Another client; bet and last three cards carry over from the last seat
    // read (a bot's).
    const JoinResult joined = JoinGame(server, Id(folder), "Bob");
    ASSERT_EQ(joined.outcome, JoinOutcome::Joined) << joined.status.description;
    const GameSession& bob = joined.session;
    EXPECT_TRUE(bob.MyPlayerNo == 5 && bob.GameName == "Friday" && bob.GameType == "THPL" &&
                bob.GameFolder == folder && !bob.IsHost && bob.MyCash == cash);
    EXPECT_EQ(Read(Id(folder) + "/usr.spk"), users + EncodePlayerRecord(NewSeatRecord(5, "Bob", cash)));
    // A status write changes only the status.
    ASSERT_TRUE(WriteGameRecord(folder, GameStatus::Turn(2), false));
    std::tie(game.PlayerCount, game.Status) = std::tuple(5, GameStatus::Turn(2));
    EXPECT_EQ(Read(Id(folder) + "/gam.spk"), EncodeGameRecord(game));
}

TEST_F(FolderTest, CleanUpRemovesTheGameFilesAndKeepsAStrangersFolder)
{
    MakeGame("15_tmp", "WS", 1); // without msg.spk
    EXPECT_TRUE(CleanUpGameFiles(dir.File("15_tmp")) && !FolderExists(dir.File("15_tmp")));
    EXPECT_TRUE(CleanUpGameFiles(dir.File("15_tmp"))); // gone already
    MakeGame("16_tmp", "WS", 1);
    dir.Write("16_tmp/notes.txt", "x"); // a stranger's file keeps the folder
    EXPECT_EQ(CleanUpGameFiles(dir.File("16_tmp")).error, FolderError::Failed);
    EXPECT_FALSE(FolderExists(dir.File("16_tmp/gam.spk")));
    EXPECT_TRUE(FolderExists(dir.File("16_tmp/notes.txt")));
    EXPECT_TRUE(boxes.shown.empty());
}

TEST_F(FolderTest, AGameFolderThatIsALinkIsNeitherListedNorJoinedNorCleanedThrough)
{
    // A real game elsewhere, and a link to it planted in the server directory.
    MakeGame("elsewhere", "WS", 1);
    ASSERT_EQ(::symlink(dir.File("elsewhere").c_str(), dir.File("5_tmp").c_str()), 0);
    const std::string before = Read("elsewhere/gam.spk") + Read("elsewhere/usr.spk");
    GameSession current;
    EXPECT_TRUE(ListGames(server, "", current)->rows.empty());
    EXPECT_EQ(JoinGame(server, "5_tmp", "Zed").outcome, JoinOutcome::NoGame);
    EXPECT_EQ(CleanUpGameFiles(dir.File("5_tmp")).error, FolderError::Failed);
    EXPECT_EQ(Read("elsewhere/gam.spk") + Read("elsewhere/usr.spk"), before);
    EXPECT_TRUE(boxes.shown.empty());
}

// Other clients, as separate processes: the only lock between machines is
// the record file's own, so threads would prove nothing. A client starts, or
// lets go of its file, on a byte or the end of its standard input; a holding
// client makes <file>.held once it has the file.
using BetweenProcesses = FolderTest;

FILE* StartClient(const std::string& args)
{
    FILE* client = ::popen(("exec " SCRIVO_FOLDER_HELPER " " + args).c_str(), "w");
    std::setvbuf(client, nullptr, _IONBF, 0);
    return client;
}

// The exit code, or 128 + the signal.
int Finish(FILE* client)
{
    const int status = ::pclose(client);
    return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
}

// A client that holds the file, once it has it; see FolderHelper for tail.
FILE* Holding(const std::string& file, const std::string& tail)
{
    FILE* holder = StartClient("hold " + file + " " + tail);
    while (!FolderExists(file + ".held"))
        std::this_thread::sleep_for(1ms);
    return holder;
}

TEST_F(BetweenProcesses, EightClientsAppendingGiveEveryLineOnceAndWhole)
{
    std::vector<FILE*> clients;
    std::multiset<std::string> expected;
    for (int c = 0; c < 8; ++c) {
        clients.push_back(StartClient("append " + dir.Path() + " 500 c" + std::to_string(c)));
        for (int i = 0; i < 500; ++i)
            expected.insert("c" + std::to_string(c) + ":" + std::to_string(i));
    }
    for (FILE* c : clients)
        std::fputc('g', c); // every client is up: they all start at once
    for (FILE* c : clients)
        EXPECT_EQ(Finish(c), 0);
    EXPECT_EQ(Read("msg.spk").size(), 4000u * MessageRecordLength);
    auto all = ReadMessagesSince(dir.Path(), 0);
    EXPECT_EQ(all->lastRecord, 4000);
    EXPECT_TRUE(std::multiset<std::string>(all->lines.begin(), all->lines.end()) == expected);
}

TEST_F(BetweenProcesses, EightJoinersFillTheTableWithoutSharingASeat)
{
    const auto created = Create({"Friday", "50", "1", "2", "$", "3", 1});
    ASSERT_TRUE(created);
    const std::string& folder = created->GameFolder;
    // A client holding usr.spk for a moment lines the joiners up behind each other.
    FILE* holder = Holding(PlayerFilePath(folder), "0");
    const std::string join = "join " + server + " " + Id(folder) + " J";
    std::vector<FILE*> joiners;
    for (int j = 0; j < 8; ++j)
        joiners.push_back(StartClient(join + std::to_string(j)));
    for (FILE* j : joiners)
        std::fputc('g', j);
    std::this_thread::sleep_for(300ms);
    EXPECT_EQ(Finish(holder), 0);
    std::multiset<int> outcomes; // the player number, or 66 for a full table
    for (FILE* j : joiners)
        outcomes.insert(Finish(j));
    EXPECT_EQ(outcomes, (std::multiset<int>{5, 6, 7, 8, 9, 66, 66, 66}));
    EXPECT_EQ(ReadGameRecord(folder)->PlayerCount, 9);
    const std::string users = Read(Id(folder) + "/usr.spk");
    ASSERT_EQ(users.size(), 10u * PlayerRecordLength);
    for (int p = 5; p <= 9; ++p) {
        const PlayerRecord seat = DecodePlayerRecord(users.substr(p * 80u, 80));
        EXPECT_TRUE(seat.PlayerNo == p && std::regex_match(seat.Name, std::regex("J[0-7]")) &&
                    seat.Action == "-" && seat.Cash == created->MyCash)
            << p;
    }
}

TEST_F(BetweenProcesses, AHeldFileIsWaitedForSilentlyUntilItsHolderLetsGoOrIsKilled)
{
    MakeGame("g", "WS", 2);
    const std::string folder = dir.File("g"), users = Read("g/usr.spk");
    ASSERT_TRUE(SendPlayerMessage(folder, "i first"));
    // The holder of usr.spk exits in our second wait; the one of msg.spk is
    // killed there halfway through an append.
    for (const std::string file : {"usr.spk", "msg.spk"}) {
        const bool killed = file == "msg.spk";
        FILE* holder = Holding(folder + "/" + file, killed ? "50" : "0");
        test::FakeClock& hooked = clock.clock;
        hooked.waits.clear();
        int status = -1;
        hooked.onWait = [&](std::size_t n) {
            if (n == 2) status = Finish(holder);
        };
        ASSERT_TRUE(killed ? SendPlayerMessage(folder, "i second") : WritePlayerRecord(folder, "R12.5", 1));
        EXPECT_EQ(status, killed ? 128 + SIGKILL : 0);
        // Silent short waits; the try after the holder is gone gets the file.
        EXPECT_EQ(hooked.waits.size(), 2u);
        for (auto wait : hooked.waits)
            EXPECT_LE(wait, LockBackoff::LastStep);
        hooked.onWait = nullptr;
    }
    EXPECT_TRUE(boxes.shown.empty());
    // Only the action changed, and the new line follows the last whole one.
    EXPECT_EQ(Read("g/usr.spk"), std::string(users).replace(80 + 43, 15, Pad("R12.5", 15)));
    EXPECT_EQ(ReadMessagesSince(folder, 0)->lines, (Lines{"i first", "i second"}));
}

} // namespace
} // namespace scrivo

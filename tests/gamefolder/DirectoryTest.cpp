#include "gamefolder/Directory.h"

#include <gtest/gtest.h>
#include <regex>
#include <sys/stat.h>

#include "gamefolder/CurrentGame.h"
#include "platform/Paths.h"
#include "platform/Random.h"
#include "settings/Language.h"
#include "settings/Settings.h"
#include "testsupport/FakeClock.h"
#include "testsupport/RecordingMessageBox.h"
#include "testsupport/TempDir.h"

namespace scrivo {
namespace {

class DirectoryTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ServerDirectory = server.Path() + "/";
        LastPlayer = "Ann";
        for (int i = 0; i <= 100; ++i) AppText[static_cast<std::size_t>(i)] = "caption " + std::to_string(i);
        for (int i = 1; i <= 8; ++i) BotNames[static_cast<std::size_t>(i)] = "Bot" + std::to_string(i);
        LangText[6] = "% closed the table";
        LangText[7] = "% has left";
        GameFolder.clear();
        GameName.clear();
        GameType.clear();
        MyPlayerNo = 0;
        IsHost = false;
        BotCount = 0;
        MyCash = Currency();
        ProgramRandom().Seed(42);
    }

    static CreateRequest Request(const std::string& bots = "3")
    {
        CreateRequest r;
        r.gameName = "Friday";
        r.startCash = "50";
        r.smallBlind = "1";
        r.bigBlind = "2";
        r.currency = "$";
        r.bots = bots;
        r.limitType = 1;
        return r;
    }

    // A game folder written directly, as another client would have made it.
    std::string MakeGame(const std::string& id, const std::string& status, int players,
                         const std::string& name = "Other game")
    {
        const std::string folder = JoinPath(server.Path(), id);
        ::mkdir(folder.c_str(), 0777);
        GameRecord g;
        g.PlayerCount = static_cast<std::int16_t>(players);
        g.Status = status;
        g.GameName = "  " + name + " ";
        g.GameType = "THNL";
        g.StartCash = Currency::FromWhole(100);
        g.SmallBlind = Currency::FromRaw(5000);
        g.BigBlind = Currency::FromWhole(1);
        WriteFile(GameFilePath(folder), EncodeGameRecord(g));
        std::string users = EncodePlayerRecord(NewBoardRecord());
        for (int p = 1; p <= players; ++p) {
            PlayerRecord seat = NewSeatRecord(p, p == 1 ? "Ann " : "P" + std::to_string(p), g.StartCash);
            users += EncodePlayerRecord(seat);
        }
        WriteFile(PlayerFilePath(folder), users);
        return folder;
    }

    static void WriteFile(const std::string& path, const std::string& bytes)
    {
        FILE* f = std::fopen(path.c_str(), "wb");
        ASSERT_NE(f, nullptr);
        std::fwrite(bytes.data(), 1, bytes.size(), f);
        std::fclose(f);
    }

    static std::string Id(const std::string& folder) { return folder.substr(folder.rfind('/') + 1); }

    test::TempDir server;
    test::RecordingMessageBox boxes;
    test::ScopedFakeClock clock;
    BotCounter bots;
};

TEST_F(DirectoryTest, EmptyServerListsNothingAndShowsTheNoGamesBox)
{
    auto list = UpdateList("");
    ASSERT_TRUE(list);
    EXPECT_TRUE(list->rows.empty());
    EXPECT_TRUE(list->showNoGamesBox);
    EXPECT_EQ(list->selectRow, -1);
    EXPECT_TRUE(boxes.shown.empty());
}

TEST_F(DirectoryTest, MissingServerShowsCaption69AndStopsTheRefresh)
{
    ServerDirectory = server.File("nowhere") + "/";
    auto list = UpdateList("");
    EXPECT_TRUE(list->serverMissing);
    EXPECT_EQ(boxes.Texts(), std::vector<std::string>{"caption 69"});
}

TEST_F(DirectoryTest, ListsOnlyLiveGamesWithTheirColumns)
{
    MakeGame("20_tmp", "WS", 2, "Waiting one");
    MakeGame("30_tmp", "P3", 5, "Running one");
    MakeGame("40_tmp", "GE", 2);
    MakeGame("45_tmp", "??", 2);
    ::mkdir(server.File("50_tmp").c_str(), 0777);    // no gam.spk
    server.Write("60_tmp", "a file, not a folder");
    MakeGame("70_other", "WS", 2);                     // not a game folder name
    const std::string torn = MakeGame("80_tmp", "WS", 1);
    WriteFile(GameFilePath(torn), std::string(40, 'x'));   // still being written

    auto list = UpdateList("");
    ASSERT_TRUE(list);
    ASSERT_EQ(list->rows.size(), 2u);
    EXPECT_EQ(list->rows[0].Line(), "Waiting one\t2\t0.5/1\tWaiting for Players");
    EXPECT_EQ(list->rows[1].Line(), "Running one\t5\t0.5/1\tIn Progress");
    EXPECT_EQ(list->rows[0].id, "20_tmp");
    EXPECT_EQ(list->rows[1].id, "30_tmp");
    EXPECT_EQ(list->selectRow, 0);
    EXPECT_FALSE(list->showNoGamesBox);
    EXPECT_TRUE(boxes.shown.empty());

    EXPECT_EQ(UpdateList("30_tmp")->selectRow, 1);
    EXPECT_EQ(UpdateList("40_tmp")->selectRow, 0);   // no longer listed: first row

    RowSelection sel = SelectRow(*list, 1);
    EXPECT_EQ(sel.selectedGameId, "30_tmp");
    EXPECT_TRUE(sel.enableJoin);
    IsHost = true;
    EXPECT_FALSE(SelectRow(*list, 1).enableJoin);
}

TEST_F(DirectoryTest, OwnGameDecidesCreateButtonAndOpeningTheTable)
{
    const std::string mine = MakeGame("20_tmp", "WS", 1, "Same name");
    const std::string other = MakeGame("30_tmp", "P2", 3, "Same name");
    GameFolder = mine;
    GameName = "Same name";
    IsHost = true;
    EXPECT_FALSE(UpdateList("")->enableCreate);   // alone at the table
    MakeGame("20_tmp", "WS", 2, "Same name");
    EXPECT_TRUE(UpdateList("")->enableCreate);

    // A joined client opens the table once its own game has started; a
    // different game of the same name does not count as its own.
    IsHost = false;
    GameFolder = mine;
    EXPECT_FALSE(UpdateList("")->openTable);
    GameFolder = other;
    EXPECT_TRUE(UpdateList("")->openTable);
}

struct CheckCase {
    std::string name, cash, small, big;
    int caption;
};

void PrintTo(const CheckCase& c, std::ostream* os) { *os << "caption" << c.caption; }

class CreateChecks : public DirectoryTest, public ::testing::WithParamInterface<CheckCase> {};

TEST_P(CreateChecks, RefuseWithTheirCaption)
{
    const CheckCase& c = GetParam();
    CreateRequest r = Request();
    r.gameName = c.name;
    r.startCash = c.cash;
    r.smallBlind = c.small;
    r.bigBlind = c.big;
    EXPECT_EQ(CheckCreate(r), c.caption);

    const BrowserOutcome outcome = CreateButton(r, bots);
    if (c.caption == 0) {
        EXPECT_TRUE(outcome.openTable);
    } else {
        EXPECT_FALSE(outcome.openTable);
        EXPECT_EQ(boxes.Texts(), std::vector<std::string>{"caption " + std::to_string(c.caption)});
        EXPECT_TRUE(UpdateList("")->rows.empty());   // no file was made
    }
}

INSTANTIATE_TEST_SUITE_P(Cases, CreateChecks,
                         ::testing::Values(CheckCase{"", "50", "1", "2", 61},
                                           CheckCase{"   ", "50", "1", "2", 61},
                                           CheckCase{"T", "0", "1", "2", 62},
                                           CheckCase{"T", "abc", "1", "2", 62},
                                           CheckCase{"T", "999999", "1", "2", 63},
                                           CheckCase{"T", "999998", "1", "2", 0},
                                           CheckCase{"T", "50", "0", "2", 64},
                                           CheckCase{"T", "50", "10", "10", 64},
                                           CheckCase{"T", "50", "3", "2", 64},
                                           CheckCase{"T", "50", "0.5", "1", 0}),
                         [](const ::testing::TestParamInfo<CheckCase>& info) {
                             return "Case" + std::to_string(info.index) + "Caption" +
                                    std::to_string(info.param.caption);
                         });

TEST_F(DirectoryTest, CreateWritesTheGameTheCreatorAndTheBots)
{
    ASSERT_TRUE(CreateGame(Request("3"), bots));
    EXPECT_EQ(GameFolder, JoinPath(server.Path(), Id(GameFolder)));
    EXPECT_TRUE(std::regex_match(Id(GameFolder), std::regex("(0|[1-9][0-9]{0,8})_tmp"))) << GameFolder;
    EXPECT_TRUE(IsHost);
    EXPECT_EQ(MyPlayerNo, 1);
    EXPECT_EQ(MyCash, Currency::FromWhole(50));
    EXPECT_EQ(GameName, "Friday");
    EXPECT_EQ(GameType, "THPL");
    EXPECT_EQ(BotCount, 3);
    EXPECT_EQ(bots.Count(), 3);

    GameRecord expected;
    expected.PlayerCount = 4;
    expected.BotCount = 3;
    expected.Status = "WS";
    expected.GameName = "Friday";
    expected.GameType = "THPL";
    expected.StartCash = Currency::FromWhole(50);
    expected.SmallBlind = Currency::FromWhole(1);
    expected.BigBlind = Currency::FromWhole(2);
    expected.CurrencySymbol = "$";
    EXPECT_EQ(test::TempDir::Read(GameFilePath(GameFolder)), EncodeGameRecord(expected));

    const std::string users = test::TempDir::Read(PlayerFilePath(GameFolder));
    ASSERT_EQ(users.size(), 5u * 80u);
    EXPECT_EQ(users.substr(0, 80), EncodePlayerRecord(NewBoardRecord()));
    PlayerRecord creator = NewSeatRecord(2, "Ann", Currency::FromWhole(50));
    creator.Card3 = creator.Card4 = creator.Card5 = "";
    EXPECT_EQ(users.substr(80, 80), EncodePlayerRecord(creator));
    for (int b = 1; b <= 3; ++b)
        EXPECT_EQ(users.substr(static_cast<std::size_t>(b + 1) * 80, 80),
                  EncodePlayerRecord(NewSeatRecord(1, "Bot" + std::to_string(b), Currency::FromWhole(50))));

    auto list = UpdateList("");
    ASSERT_EQ(list->rows.size(), 1u);
    EXPECT_EQ(list->rows[0].Line(), "Friday\t4\t1/2\tWaiting for Players");
    EXPECT_TRUE(list->enableCreate);
}

TEST_F(DirectoryTest, LongNamesAreCutAndTheCurrencyKeepsItsFirstCharacter)
{
    CreateRequest r = Request("0");
    r.gameName = "A table name of thirty chars!!";
    r.currency = "€uro";
    ASSERT_TRUE(CreateGame(r, bots));
    auto game = ReadGameRecord(GameFolder);
    EXPECT_EQ(game->GameName, "A table name of thirty ch");
    EXPECT_EQ(game->CurrencySymbol, "€");
    EXPECT_EQ(game->PlayerCount, 1);
}

TEST_F(DirectoryTest, FullTableSeatsNoFurtherBotAndAProgramRunHasEightBotNames)
{
    ASSERT_TRUE(CreateGame(Request("8"), bots));
    EXPECT_EQ(ReadGameRecord(GameFolder)->PlayerCount, 9);
    EXPECT_TRUE(boxes.shown.empty());

    // A ninth bot of this run has no name left to take.
    EXPECT_FALSE(AddBot(bots));
    EXPECT_EQ(boxes.LastText(), "Error in Bot Join: Subscript out of range");
    EXPECT_EQ(test::TempDir::Read(PlayerFilePath(GameFolder)).size(), 10u * 80u);

    BotCounter fresh;
    boxes.Clear();
    EXPECT_TRUE(AddBot(fresh));   // full: silently not seated
    EXPECT_TRUE(boxes.shown.empty());
    EXPECT_EQ(test::TempDir::Read(PlayerFilePath(GameFolder)).size(), 10u * 80u);

    GameFolder = server.File("gone_tmp");
    EXPECT_FALSE(AddBot(fresh));
    EXPECT_EQ(boxes.LastText(), "Error adding bots");
    EXPECT_TRUE(GameName.empty());
}

TEST_F(DirectoryTest, JoinTakesTheNextSeat)
{
    ASSERT_TRUE(CreateGame(Request("2"), bots));
    const std::string id = Id(GameFolder);
    // Another program run on another machine.
    GameFolder.clear();
    GameName.clear();
    IsHost = false;
    LastPlayer = "Bob";

    const BrowserOutcome outcome = JoinGame(id);
    ASSERT_TRUE(outcome.openTable) << boxes.LastText();
    EXPECT_EQ(outcome.caption, 0);
    EXPECT_EQ(MyPlayerNo, 4);
    EXPECT_EQ(GameName, "Friday");
    EXPECT_EQ(GameType, "THPL");
    EXPECT_EQ(MyCash, Currency::FromWhole(50));
    EXPECT_EQ(GameFolder, JoinPath(server.Path(), id));
    EXPECT_EQ(ReadGameRecord(GameFolder)->PlayerCount, 4);

    const std::string users = test::TempDir::Read(PlayerFilePath(GameFolder));
    ASSERT_EQ(users.size(), 5u * 80u);
    // The bet and the last three cards carry over from the last seat read (a bot's).
    PlayerRecord expected = NewSeatRecord(4, "Bob", Currency::FromWhole(50));
    EXPECT_EQ(users.substr(4 * 80), EncodePlayerRecord(expected));
    EXPECT_TRUE(boxes.shown.empty());
}

TEST_F(DirectoryTest, JoinRefusalsChangeNoFile)
{
    const std::string full = MakeGame("10_tmp", "WS", 9);
    const std::string started = MakeGame("11_tmp", "GS", 2);
    const std::string open = MakeGame("12_tmp", "WS", 3);
    auto snapshot = [&] {
        std::string all;
        for (const auto& f : {full, started, open})
            all += test::TempDir::Read(GameFilePath(f)) + test::TempDir::Read(PlayerFilePath(f));
        return all;
    };
    const std::string before = snapshot();

    struct Expect {
        std::string id, player;
        int caption;
        MsgIcon icon;
    };
    for (const Expect& e : {Expect{"", "Zed", 65, MsgIcon::Information},
                            Expect{"10_tmp", "Zed", 66, MsgIcon::Information},
                            Expect{"11_tmp", "Zed", 67, MsgIcon::None},
                            Expect{"12_tmp", "ann", 68, MsgIcon::None},
                            Expect{"12_tmp", " p3", 68, MsgIcon::None},
                            Expect{"12_tmp", "cheats beware!", 68, MsgIcon::None}}) {
        boxes.Clear();
        LastPlayer = e.player;
        const BrowserOutcome outcome = JoinGame(e.id);
        EXPECT_EQ(outcome.caption, e.caption) << e.id << " " << e.player;
        EXPECT_FALSE(outcome.openTable);
        ASSERT_EQ(boxes.shown.size(), 1u);
        EXPECT_EQ(boxes.shown[0].text, "caption " + std::to_string(e.caption));
        EXPECT_EQ(boxes.shown[0].icon, e.icon);
    }
    EXPECT_EQ(snapshot(), before);
    EXPECT_EQ(MyPlayerNo, 0);

    boxes.Clear();
    GameName = "Old";
    const BrowserOutcome gone = JoinGame("99_tmp");
    EXPECT_FALSE(gone.openTable);
    EXPECT_EQ(boxes.Texts(), std::vector<std::string>{"Error connecting to game."});
    EXPECT_TRUE(GameName.empty());
}

TEST_F(DirectoryTest, NamesCompareAsStoredWithoutRegardToCase)
{
    // Seat 3 holds an accented name longer than the field.
    const std::string folder = MakeGame("12_tmp", "WS", 3);
    PlayerRecord accented = NewSeatRecord(3, "Émile " + std::string(30, 'x'), Currency::FromWhole(1));
    WriteFile(PlayerFilePath(folder),
              test::TempDir::Read(PlayerFilePath(folder)).substr(0, 3 * 80) + EncodePlayerRecord(accented));
    LastPlayer = "émile " + std::string(40, 'X');
    EXPECT_EQ(JoinGame("12_tmp").caption, 68);
    LastPlayer = "Emile " + std::string(40, 'X');
    EXPECT_EQ(JoinGame("12_tmp").caption, 0);
}

TEST_F(DirectoryTest, DamagedOrHugeValuesAreRefusedWithoutTouchingTheBoard)
{
    // Blinds far beyond any Currency: nothing is made.
    CreateRequest r = Request("0");
    r.smallBlind = "1e300";
    r.bigBlind = "2e300";
    EXPECT_FALSE(CreateGame(r, bots));
    EXPECT_EQ(boxes.LastText(), "Error in Create Game: Overflow");
    EXPECT_TRUE(UpdateList("")->rows.empty());

    // A seat count no client writes.
    const std::string folder = MakeGame("12_tmp", "WS", 2);
    GameRecord g = *ReadGameRecord(folder);
    g.PlayerCount = -1;
    WriteFile(GameFilePath(folder), EncodeGameRecord(g));
    const std::string users = test::TempDir::Read(PlayerFilePath(folder));
    LastPlayer = "Zed";
    const BrowserOutcome outcome = JoinGame("12_tmp");
    EXPECT_FALSE(outcome.openTable);
    EXPECT_EQ(boxes.LastText(), "Error in Join Game: The game record is damaged");
    EXPECT_EQ(test::TempDir::Read(PlayerFilePath(folder)), users);

    // Without a current game nothing is written anywhere.
    GameFolder.clear();
    EXPECT_EQ(LeaveGame("Zed").status.error, FolderError::NotThere);
    EXPECT_FALSE(WritePlayerRecord("D", 1));
    EXPECT_EQ(boxes.LastText(), "Error writing player status: No game folder");
    EXPECT_FALSE(FolderExists("usr.spk"));
}

class LeaveTest : public DirectoryTest {
protected:
    // A game with the host, one bot and a joined human.
    void SetUp() override
    {
        DirectoryTest::SetUp();
        ASSERT_TRUE(CreateGame(Request("1"), bots));
        hostFolder = GameFolder;
        LastPlayer = "Bob";
        IsHost = false;
        ASSERT_TRUE(JoinGame(Id(hostFolder)).openTable);
        ASSERT_EQ(MyPlayerNo, 3);
    }
    void BeHost()
    {
        IsHost = true;
        MyPlayerNo = 1;
        BotCount = 1;
        GameFolder = hostFolder;
    }
    void BeJoiner()
    {
        IsHost = false;
        MyPlayerNo = 3;
        BotCount = 1;
        GameFolder = hostFolder;
    }
    std::vector<std::string> Lines() { return ReadMessagesSince(hostFolder, 0)->lines; }
    std::string hostFolder;
};

TEST_F(LeaveTest, HostLeavingEndsTheGameAndTheLastHumanRemovesIt)
{
    BeHost();
    LeaveOutcome first = LeaveGame("Ann");
    EXPECT_TRUE(first.endedGame);
    EXPECT_FALSE(first.removedGame);
    EXPECT_FALSE(IsHost);
    EXPECT_EQ(Lines(), std::vector<std::string>{"wAnn closed the table"});
    EXPECT_EQ(ReadGameRecord(hostFolder)->Status, "GE");
    EXPECT_EQ(*ReadPlayerRecord(hostFolder, 1), "D");
    EXPECT_TRUE(UpdateList("")->rows.empty());   // an ended game is not listed

    BeJoiner();
    LeaveOutcome last = LeaveGame("Bob");
    EXPECT_TRUE(last.removedGame);
    EXPECT_FALSE(FolderExists(hostFolder));
    EXPECT_TRUE(boxes.shown.empty()) << boxes.LastText();
}

TEST_F(LeaveTest, PlayerLeavingTellsTheOthersAndTheGameGoesOn)
{
    ASSERT_TRUE(WriteGameRecord(hostFolder, "P1", false));
    BeJoiner();
    LeaveOutcome outcome = LeaveGame("Bob");
    EXPECT_FALSE(outcome.endedGame);
    EXPECT_FALSE(outcome.removedGame);
    EXPECT_EQ(Lines(), std::vector<std::string>{"wBob has left"});
    EXPECT_EQ(ReadGameRecord(hostFolder)->Status, "P1");
    EXPECT_EQ(*ReadPlayerRecord(hostFolder, 3), "D");

    // The bots do not keep a game alive.
    BeHost();
    EXPECT_TRUE(LeaveGame("Ann").removedGame);
    EXPECT_FALSE(FolderExists(hostFolder));
}

TEST_F(DirectoryTest, CleanUpRemovesTheFolderEvenWithoutMessages)
{
    const std::string folder = MakeGame("15_tmp", "WS", 1);
    EXPECT_TRUE(CleanUpGameFiles(folder));
    EXPECT_FALSE(FolderExists(folder));
    EXPECT_TRUE(CleanUpGameFiles(folder));   // already gone: nothing to do
    EXPECT_TRUE(boxes.shown.empty());

    // A stranger's file in the folder keeps it; that is reported.
    const std::string kept = MakeGame("16_tmp", "WS", 1);
    WriteFile(JoinPath(kept, "notes.txt"), "x");
    EXPECT_FALSE(CleanUpGameFiles(kept));
    EXPECT_EQ(boxes.LastText().rfind("Error cleaning up game files: ", 0), 0u);
    EXPECT_FALSE(FolderExists(GameFilePath(kept)));
}

} // namespace
} // namespace scrivo

// What the player sees around creating, joining, listing and leaving games:
// the captions of refused requests, the messages of failed ones and the
// game the lobby remembers as this client's.
#include "engine/Lobby.h"

#include <algorithm>
#include <array>
#include <cctype>
#include <set>
#include <string>
#include <tuple>
#include <vector>

#include <gtest/gtest.h>
#include <sys/stat.h>

#include "gamefolder/Records.h"
#include "platform/Paths.h"
#include "platform/Text.h"
#include "settings/Language.h"
#include "settings/Settings.h"
#include "testsupport/EngineFixtures.h"
#include "testsupport/ProcessState.h"

namespace scrivo {
namespace {

using Lines = std::vector<std::string>;

class LobbyTest : public ::testing::Test {
protected:
    LobbyTest()
    {
        settings.ServerDirectory = dir.Path() + "/";
        settings.LastPlayer = "Ann";
        for (CapId c = Cap::NeedTableName; c <= Cap::FolderNotFound; c = c + 1)
            language.AppText[c] = "caption " + std::to_string(c.Number());
        for (int i = 1; i <= 8; ++i)
            language.BotNames[i] = "Bot" + std::to_string(i);
        language.LangText[Msg::HostLeft] = "% closed the table";
        language.LangText[Msg::PlayerLeft] = "% has left";
    }

    // A game another client made, with the given seats.
    std::string MakeGame(const std::string& id, const std::string& status, std::vector<std::string> names)
    {
        const std::string folder = dir.File(id);
        ::mkdir(folder.c_str(), 0777);
        test::GameSetup setup;
        setup.names = std::move(names);
        test::WriteGameFolder(folder, setup);
        test::SetStatus(folder, status);
        return folder;
    }

    // A request refused with the caption of the check it fails: one box, no game.
    void ExpectRefused(const CreateRequest& r, CapId caption)
    {
        SCOPED_TRACE(r.gameName + " " + r.startCash + " " + r.smallBlind + "/" + r.bigBlind);
        boxes.Clear();
        EXPECT_EQ(Lobby::CheckCreate(r), caption);
        const BrowserOutcome outcome = lobby.CreateButton(r);
        EXPECT_FALSE(outcome.openTable);
        EXPECT_EQ(outcome.caption, caption);
        EXPECT_EQ(boxes.Texts(), Lines{"caption " + std::to_string(caption.Number())});
        EXPECT_TRUE(lobby.UpdateList("")->rows.empty());
    }

    test::FreshProcessState fresh;
    test::TempDir dir;
    test::RecordingMessageBox boxes;
    Settings settings;
    Language language;
    Lobby lobby{settings, language};
};

TEST_F(LobbyTest, RefusedCreateShowsTheCaptionOfTheFirstFailedCheckAndMakesNothing)
{
    for (const auto& [name, cash, small, big, caption] :
         std::vector<std::tuple<std::string, std::string, std::string, std::string, CapId>>{
             {"   ", "50", "1", "2", Cap::NeedTableName},
             {"T", "abc", "1", "2", Cap::StartCashPositive},
             {"T", "0", "1", "2", Cap::StartCashPositive},
             {"T", "999999", "1", "2", Cap::StartCashTooLarge},
             {"T", "50", "0", "2", Cap::BlindsInvalid},
             {"T", "50", "2", "2", Cap::BlindsInvalid},
             {"T", "50", "3", "2", Cap::BlindsInvalid},
             // Beyond the create limit; the first big blind once wrapped into a negative amount.
             {"T", "50", "5", "922337203685479", Cap::BlindsInvalid},
             {"T", "50", "5", "92233720368547", Cap::BlindsInvalid},
             {"T", "50", "5", MaxCreateAmount.ToString() + ".0001", Cap::BlindsInvalid},
             {"T", "50", "5", "1e300", Cap::BlindsInvalid},
             {"T", "1e300", "5", "10", Cap::StartCashTooLarge}})
        ExpectRefused({name, cash, small, big, "$", "0", 1}, caption);
    EXPECT_TRUE(IsCreateAmount(MaxCreateAmount.ToDouble()));
    EXPECT_FALSE(IsCreateAmount(0));
    EXPECT_EQ(Lobby::CheckCreate({"T", "50", "5", MaxCreateAmount.ToString(), "$", "0", 2}), std::nullopt);
    EXPECT_TRUE(lobby.Current().GameName.empty());

    const BrowserOutcome made = lobby.CreateButton({"T", "999998", "0.5", "1", "$", "2", 1});
    ASSERT_TRUE(made.openTable);
    EXPECT_EQ(made.session.GameFolder, lobby.Current().GameFolder);
    EXPECT_EQ(test::ReadGameFile(made.session.GameFolder).PlayerCount, 3); // the creator and two bots
    EXPECT_EQ(lobby.Bots().Count(), 2);
}

// Eight bots under a creator named like one of them: every bot is seated,
// no two seats share a name, and the record counts exactly the bots seated,
// also when a second game is made in the same run.
TEST_F(LobbyTest, EightBotsAreSeatedWithNamesOfTheirOwnWhateverTheCreatorIsCalled)
{
    for (const std::string creator : {"Bot1", "bot5", "Bot8", "Zed"}) {
        boxes.Clear();
        settings.LastPlayer = creator;
        const BrowserOutcome made = lobby.CreateButton({"T", "100", "1", "2", "$", "8", 2});
        ASSERT_TRUE(made.openTable) << creator;
        EXPECT_TRUE(boxes.Texts().empty()) << creator;
        const GameRecord g = test::ReadGameFile(made.session.GameFolder);
        EXPECT_EQ(g.PlayerCount, 9) << creator;
        EXPECT_EQ(g.BotCount, 8) << creator;
        EXPECT_EQ(made.session.BotCount, 8) << creator;
        std::set<std::string> names;
        for (int p = 1; p <= 9; ++p) {
            std::string name = Trim(test::ReadSeat(made.session.GameFolder, p).Name);
            std::transform(name.begin(), name.end(), name.begin(),
                           [](unsigned char c) { return std::tolower(c); });
            names.insert(name);
        }
        EXPECT_EQ(names.size(), 9u) << creator;
    }
}

TEST(BotNames, AFullListIsNumberedUntilTheNameIsFree)
{
    std::array<std::string, 9> list{"", "Ann", "Bob", "", "", "", "", "", ""};
    EXPECT_EQ(FreeBotName(list, {"ann"}), "Bob");
    EXPECT_EQ(FreeBotName(list, {"Ann", "Bob", "Ann 2"}), "Ann 3");
    list.fill("");
    EXPECT_EQ(FreeBotName(list, {"Host"}), "Bot 2");
}

TEST_F(LobbyTest, RefusedJoinShowsItsCaptionOrMessageAndOpensNothing)
{
    MakeGame("10_tmp", "WS", {"A", "B", "C", "D", "E", "F", "G", "H", "I"});
    MakeGame("20_tmp", "WS", {"Al", "Ann"});
    MakeGame("30_tmp", "P1", {"Al", "Bo"});
    const std::string broken = MakeGame("40_tmp", "WS", {"Al"});
    ::unlink(PlayerFilePath(broken).c_str());
    ::mkdir(PlayerFilePath(broken).c_str(), 0777);
    const auto info = MsgIcon::Information, none = MsgIcon::None;
    for (const auto& [id, text, icon] : std::vector<std::tuple<std::string, std::string, MsgIcon>>{
             {"", "caption 65", info},
             {"10_tmp", "caption 66", info},
             {"30_tmp", "caption 67", none},
             {"20_tmp", "caption 68", none},
             {"99_tmp", "Error connecting to game.", none},
             // A file problem is reported once, with the join's prefix.
             {"40_tmp",
              "Error in Join Game: File/Connection problem - " + PlayerFilePath(broken) + ": " +
                  ErrorDescription(EISDIR),
              none}}) {
        boxes.Clear();
        const BrowserOutcome outcome = lobby.JoinGame(id);
        EXPECT_FALSE(outcome.openTable) << id;
        EXPECT_EQ(outcome.caption,
                  text.rfind("caption ", 0) ? std::nullopt : std::optional(CapId(std::stoi(text.substr(8)))))
            << text;
        ASSERT_EQ(boxes.Texts(), Lines{text});
        EXPECT_EQ(boxes.shown[0].icon, icon) << text;
    }
    EXPECT_TRUE(lobby.Current().GameFolder.empty());

    settings.LastPlayer = "Bea"; // the settings are read at each call
    const BrowserOutcome joined = lobby.JoinGame("20_tmp");
    ASSERT_TRUE(joined.openTable);
    EXPECT_EQ(joined.session.MyPlayerNo, 3);
    EXPECT_EQ(lobby.Current().GameFolder, dir.File("20_tmp"));
    const FolderResult<GameList> list = lobby.UpdateList("");
    EXPECT_TRUE(lobby.SelectRow(*list, 0).enableJoin); // a joiner may look at other games
}

TEST_F(LobbyTest, TheListNamesAMissingServerDirectoryAndTheHostCannotJoin)
{
    ASSERT_TRUE(lobby.CreateButton({"Friday", "50", "1", "2", "$", "0", 1}).openTable);
    boxes.Clear();
    const FolderResult<GameList> list = lobby.UpdateList("");
    ASSERT_EQ(list->rows.size(), 1u);
    EXPECT_FALSE(lobby.SelectRow(*list, 0).enableJoin);
    EXPECT_TRUE(boxes.shown.empty());

    settings.ServerDirectory = dir.File("gone/");
    EXPECT_TRUE(lobby.UpdateList("")->serverMissing);
    EXPECT_EQ(boxes.Texts(), Lines{"caption 69"});
}

TEST_F(LobbyTest, LeavingEndsTheGameOrCleansItUpWithTheLastHuman)
{
    for (bool hostFirst : {true, false}) {
        // The host, one bot and Bob at a game in progress.
        settings.LastPlayer = "Ann";
        BrowserOutcome ann = lobby.CreateButton({"Friday", "50", "1", "2", "$", "1", 1});
        ASSERT_TRUE(ann.openTable);
        const std::string folder = ann.session.GameFolder;
        settings.LastPlayer = "Bob";
        BrowserOutcome bob = lobby.JoinGame(folder.substr(folder.rfind('/') + 1));
        ASSERT_TRUE(bob.openTable);
        ASSERT_TRUE(WriteGameRecord(folder, GameStatus::Turn(1), false));
        auto leave = [&](bool host) {
            return host ? LeaveGame(ann.session, "Ann", language) : LeaveGame(bob.session, "Bob", language);
        };
        const LeaveOutcome first = leave(hostFirst);
        EXPECT_TRUE(first.endedGame == hostFirst && !first.removedGame);
        EXPECT_FALSE(ann.session.IsHost && hostFirst); // a host that left hosts no more
        EXPECT_EQ(test::ReadAllMessages(folder),
                  Lines{hostFirst ? "wAnn closed the table" : "wBob has left"});
        EXPECT_EQ(test::ReadGameFile(folder).Status.Text(), hostFirst ? "GE" : "P1");
        EXPECT_EQ(test::ReadSeat(folder, hostFirst ? 1 : 3).Action, "D");
        EXPECT_TRUE(leave(!hostFirst).removedGame); // the bot does not keep the game alive
        EXPECT_FALSE(FolderExists(folder));
    }
    EXPECT_TRUE(boxes.shown.empty()) << boxes.LastText();

    // A stranger's file keeps the folder: said once, with its prefix.
    BrowserOutcome alone = lobby.CreateButton({"Friday", "50", "1", "2", "$", "0", 1});
    ASSERT_TRUE(alone.openTable);
    const std::string id = alone.session.GameFolder.substr(alone.session.GameFolder.rfind('/') + 1);
    dir.Write(id + "/notes.txt", "x");
    EXPECT_FALSE(LeaveGame(alone.session, "Ann", language).removedGame);
    ASSERT_EQ(boxes.shown.size(), 1u);
    EXPECT_EQ(boxes.LastText().rfind("Error cleaning up game files: ", 0), 0u);
}

} // namespace
} // namespace scrivo

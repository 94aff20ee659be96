#include <filesystem>
#include <ostream>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTimer>
#include <QTreeWidget>

#include "gamefolder/CurrentGame.h"
#include "gamefolder/Directory.h"
#include "gamefolder/RecordFile.h"
#include "platform/MessageBox.h"
#include "platform/Text.h"
#include "settings/Language.h"
#include "settings/Settings.h"
#include "tests/ui/UiFixture.h"
#include "ui/ConnectFrm.h"
#include "ui/MainMod.h"
#include "ui/TableLink.h"

namespace scrivo::test {
namespace {

class BrowserTest : public UiTest {
protected:
    void SetUp() override
    {
        UiTest::SetUp();
        AddShippedLanguage("Lang_English.ini");
        WriteSettings("Ann", server, "English");
        Main();
        ASSERT_TRUE(TheConnectFrm().isVisible());
        boxes->Clear();
    }

    ConnectFrm& Frm() { return TheConnectFrm(); }

    void FillCreatePane(const std::string& name, const std::string& cash, const std::string& sb,
                        const std::string& bb, const std::string& bots)
    {
        Frm().CreateClick();
        Frm().GameNametxt->setText(QString::fromStdString(name));
        Frm().StartPotTxt->setText(QString::fromStdString(cash));
        Frm().SmallBlindTxt->setText(QString::fromStdString(sb));
        Frm().BigBlindTxt->setText(QString::fromStdString(bb));
        Frm().BotsTxt->setText(QString::fromStdString(bots));
    }

    std::vector<std::string> GameFolders() const
    {
        std::vector<std::string> names;
        for (const auto& e : std::filesystem::directory_iterator(serverDir.Path()))
            names.push_back(e.path().filename());
        return names;
    }

    // A game made by another program run on the same folder: host "Bea"
    // with one bot, waiting for players.
    std::string OtherHostsGame(const std::string& name)
    {
        const std::string me = LastPlayer;
        LastPlayer = "Bea";
        BotCounter bots;
        CreateRequest request;
        request.gameName = name;
        request.startCash = "500";
        request.smallBlind = "5";
        request.bigBlind = "10";
        request.currency = "$";
        request.bots = "1";
        EXPECT_TRUE(CreateGame(request, bots).Ok());
        const std::string folder = GameFolder;
        // Back to being a plain client of this folder.
        LastPlayer = me;
        IsHost = false;
        GameName.clear();
        GameFolder.clear();
        MyPlayerNo = 0;
        return folder;
    }

    static std::string SeatName(const std::string& folder, int playerNo)
    {
        FolderResult<RecordFile> file = OpenRecordFile(PlayerFilePath(folder), PlayerRecordLength);
        EXPECT_TRUE(file.Ok());
        FolderResult<PlayerRecord> seat = file->ReadPlayer(playerNo);
        EXPECT_TRUE(seat.Ok());
        return Trim(seat->Name);
    }
};

TEST_F(BrowserTest, EmptyFolderShowsTheNoGamesBox)
{
    Frm().UpdateList();
    EXPECT_EQ(Frm().RowCount(), 0);
    EXPECT_FALSE(Frm().ActiveLbl->isHidden());
    EXPECT_EQ(Frm().ActiveLbl->text().toStdString(), AppText[23]);
}

TEST_F(BrowserTest, CreateWithThreeBotsSeatsTheFirstThreeBotNames)
{
    FillCreatePane("Friday", "500", "5", "10", "3");
    Frm().CreateNowClick();
    EXPECT_TRUE(boxes->shown.empty()) << boxes->LastText();
    ASSERT_FALSE(GameFolder.empty());
    EXPECT_TRUE(IsHost);
    EXPECT_EQ(MyPlayerNo, 1);
    FolderResult<GameRecord> game = ReadGameRecord(GameFolder);
    ASSERT_TRUE(game.Ok());
    EXPECT_EQ(game->PlayerCount, 4);
    EXPECT_EQ(Trim(game->Status), "WS");
    EXPECT_EQ(SeatName(GameFolder, 1), "Ann");
    for (int p = 2; p <= 4; ++p)
        EXPECT_EQ(SeatName(GameFolder, p), BotNames[static_cast<std::size_t>(p - 1)]);
    // The browser gives way to the table, collapsed and no longer listing.
    EXPECT_FALSE(Frm().isVisible());
    EXPECT_FALSE(Frm().RefreshRunning());
    EXPECT_FALSE(Frm().Command1->isEnabled());
    EXPECT_TRUE(Frm().CreateFrame->isHidden());
    EXPECT_EQ(Frm().HeightTwips(), 3210);
    EXPECT_TRUE(TableWindowVisible());
}

struct BadCreate {
    const char* name;
    std::string table, cash, sb, bb;
    int caption;
};

void PrintTo(const BadCreate& c, std::ostream* os)
{
    *os << c.name;
}

class BrowserCreateChecks : public BrowserTest, public ::testing::WithParamInterface<BadCreate> {};

TEST_P(BrowserCreateChecks, RefuseWithTheirCaptionAndMakeNothing)
{
    const BadCreate& c = GetParam();
    FillCreatePane(c.table, c.cash, c.sb, c.bb, "2");
    Frm().CreateNowClick();
    ASSERT_EQ(boxes->shown.size(), 1u);
    EXPECT_EQ(boxes->shown[0].text, AppText[static_cast<std::size_t>(c.caption)]);
    EXPECT_TRUE(GameFolders().empty());
    EXPECT_FALSE(TableWindowVisible());
    EXPECT_TRUE(Frm().isVisible());
    EXPECT_TRUE(Frm().RefreshRunning());
}

INSTANTIATE_TEST_SUITE_P(Cases, BrowserCreateChecks,
                         ::testing::Values(BadCreate{"NoName", "", "500", "5", "10", 61},
                                           BadCreate{"NoCash", "T", "0", "5", "10", 62},
                                           BadCreate{"TooMuchCash", "T", "999999", "5", "10", 63},
                                           BadCreate{"EqualBlinds", "T", "500", "10", "10", 64},
                                           BadCreate{"NoSmallBlind", "T", "500", "0", "10", 64}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST_F(BrowserTest, ListsAWaitingGameAndJoinsIt)
{
    const std::string folder = OtherHostsGame("Lunch");
    Frm().UpdateList();
    ASSERT_EQ(Frm().RowCount(), 1);
    EXPECT_EQ(Frm().RowText(0), "Lunch\t2\t5/10\tWaiting for Players");
    EXPECT_TRUE(Frm().ActiveLbl->isHidden());
    EXPECT_TRUE(Frm().Command1->isEnabled()); // a row is selected, we are not a host
    Frm().JoinClick();
    EXPECT_TRUE(boxes->shown.empty()) << boxes->LastText();
    EXPECT_EQ(MyPlayerNo, 3);
    EXPECT_EQ(GameName, "Lunch");
    EXPECT_EQ(SeatName(folder, 3), "Ann");
    EXPECT_FALSE(Frm().Command1->isEnabled());
    EXPECT_FALSE(Frm().Command2->isEnabled());
    EXPECT_FALSE(Frm().Command3->isEnabled());
    EXPECT_TRUE(TableWindowVisible());
    EXPECT_FALSE(Frm().isVisible());
}

TEST_F(BrowserTest, RefusesASeatedNameWhateverItsCase)
{
    OtherHostsGame("Lunch");
    LastPlayer = "bea ";
    Frm().UpdateList();
    Frm().JoinClick();
    EXPECT_EQ(boxes->LastText(), AppText[68]);
    EXPECT_FALSE(TableWindowVisible());
    // The browser stays and goes on listing.
    EXPECT_TRUE(Frm().RefreshRunning());
}

TEST_F(BrowserTest, AGameThatVanishedBeforeTheJoinOpensNoTable)
{
    const std::string folder = OtherHostsGame("Lunch");
    Frm().UpdateList();
    ASSERT_EQ(Frm().RowCount(), 1);
    std::filesystem::remove_all(folder);
    Frm().JoinClick();
    EXPECT_EQ(boxes->LastText(), "Error connecting to game.");
    EXPECT_TRUE(GameName.empty());
    EXPECT_FALSE(TableWindowVisible());
    EXPECT_TRUE(Frm().isVisible());
    EXPECT_TRUE(Frm().RefreshRunning());
    EXPECT_TRUE(Frm().Command3->isEnabled());
}

TEST_F(BrowserTest, RefusesAGameInProgress)
{
    const std::string folder = OtherHostsGame("Lunch");
    ASSERT_TRUE(WriteGameRecord(folder, "P1", false).Ok());
    Frm().UpdateList();
    ASSERT_EQ(Frm().RowCount(), 1);
    EXPECT_EQ(Frm().Games().rows[0].status, "In Progress");
    Frm().JoinClick();
    EXPECT_EQ(boxes->LastText(), AppText[67]);
    EXPECT_FALSE(TableWindowVisible());
}

TEST_F(BrowserTest, RefusesAFullTable)
{
    const std::string folder = OtherHostsGame("Lunch");
    // Fill the remaining seats with bots of the host's run.
    GameFolder = folder;
    BotCounter bots;
    for (int i = 0; i < 7; ++i)
        ASSERT_TRUE(AddBot(bots).Ok());
    GameFolder.clear();
    Frm().UpdateList();
    ASSERT_EQ(Frm().Games().rows.at(0).players, 9);
    Frm().JoinClick();
    EXPECT_EQ(boxes->LastText(), AppText[66]);
}

TEST_F(BrowserTest, JoinWithoutARowSaysSo)
{
    Frm().UpdateList();
    Frm().JoinClick();
    EXPECT_EQ(boxes->LastText(), AppText[65]);
    EXPECT_EQ(boxes->shown.back().icon, MsgIcon::Information);
}

TEST_F(BrowserTest, SelectionSurvivesARefreshWhileItsGameIsListed)
{
    OtherHostsGame("Alpha");
    OtherHostsGame("Beta");
    Frm().UpdateList();
    ASSERT_EQ(Frm().RowCount(), 2);
    Frm().GList->setCurrentItem(Frm().GList->topLevelItem(1));
    const std::string chosen = Frm().SelectedGameId();
    EXPECT_EQ(chosen, Frm().Games().rows[1].id);
    Frm().UpdateList();
    EXPECT_EQ(Frm().SelectedGameId(), chosen);
    const int current = Frm().GList->indexOfTopLevelItem(Frm().GList->currentItem());
    ASSERT_GE(current, 0);
    EXPECT_EQ(Frm().Games().rows[static_cast<std::size_t>(current)].id, chosen);
}

TEST_F(BrowserTest, BotsBoxIsClampedAsTyped)
{
    Frm().BotsTxt->setText("12");
    EXPECT_EQ(Frm().BotsTxt->text().toStdString(), "8");
    Frm().BotsTxt->setText("");
    EXPECT_EQ(Frm().BotsTxt->text().toStdString(), "0");
    Frm().BotsTxt->setText("2.6");
    EXPECT_EQ(Frm().BotsTxt->text().toStdString(), "3");
    Frm().BotsTxt->setText("-4");
    EXPECT_EQ(Frm().BotsTxt->text().toStdString(), "0");
}

TEST_F(BrowserTest, CreatePaneOpensAndClosesWithItsHeights)
{
    Frm().CreateClick();
    EXPECT_FALSE(Frm().CreateFrame->isHidden());
    EXPECT_FALSE(Frm().Command2->isEnabled());
    EXPECT_EQ(Frm().HeightTwips(), 6180);
    Frm().HideClick();
    EXPECT_TRUE(Frm().CreateFrame->isHidden());
    EXPECT_TRUE(Frm().Command2->isEnabled());
    EXPECT_EQ(Frm().HeightTwips(), 3210);
}

TEST_F(BrowserTest, VanishedServerStopsTheRefresh)
{
    ServerDirectory = serverDir.File("gone") + "/";
    Frm().UpdateList();
    EXPECT_EQ(boxes->LastText(), AppText[69]);
    EXPECT_FALSE(Frm().RefreshRunning());
}

TEST_F(BrowserTest, LimitTypeEntriesFollowTheLanguage)
{
    ASSERT_EQ(Frm().TypeCombo->count(), 3);
    for (int i = 0; i < 3; ++i)
        EXPECT_EQ(Frm().TypeCombo->itemText(i).toStdString(), AppText[static_cast<std::size_t>(73 + i)]);
}

class BrowserWithoutLanguage : public UiTest {};

TEST_F(BrowserWithoutLanguage, KeepsBuiltInCaptionsAndEmptyLimitEntries)
{
    ConnectFrm& frm = TheConnectFrm();
    EXPECT_EQ(frm.Command1->text().toStdString(), "join");
    EXPECT_EQ(frm.CreateButton->text().toStdString(), "Create Now");
    ASSERT_EQ(frm.TypeCombo->count(), 3);
    EXPECT_TRUE(frm.TypeCombo->itemText(0).isEmpty());
    EXPECT_EQ(frm.TypeCombo->currentIndex(), 2);
    EXPECT_EQ(frm.BotsTxt->text().toStdString(), "3");
    EXPECT_EQ(frm.StartPotTxt->text().toStdString(), "50");
}

} // namespace
} // namespace scrivo::test

#include <cstdlib>
#include <filesystem>
#include <memory>
#include <regex>
#include <set>
#include <string>
#include <tuple>
#include <vector>

#include <gtest/gtest.h>

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QFrame>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTextEdit>
#include <QTimer>
#include <QTreeWidget>

#include "platform/Paths.h"
#include "platform/Random.h"
#include "platform/Shell.h"
#include "platform/Text.h"
#include "settings/Language.h"
#include "settings/Settings.h"
#include "settings/SettingsStore.h"
#include "gamefolder/Directory.h"
#include "engine/Table.h"
#include "console/MainForm.h"
#include "testsupport/ProcessState.h"
#include "testsupport/RecordingMessageBox.h"
#include "testsupport/TempDir.h"
#include "ui/AboutFrm.h"
#include "ui/ConnectFrm.h"
#include "ui/ConnectWiz.h"
#include "ui/FolderDialog.h"
#include "ui/MainMod.h"
#include "ui/Opts.h"
#include "ui/TableLink.h"
#include "ui/UiCommon.h"

namespace scrivo::test {
namespace {

// A program folder and a server directory of their own for each case, the
// program's settings and language at their start values (handed to Main as
// main() hands its own), message boxes recorded, and every window gone
// afterwards.
class UiTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        static int argc = 1;
        static char* argv[] = {const_cast<char*>("ui_tests"), nullptr};
        static QApplication* app = new QApplication(argc, argv);
        app->setQuitOnLastWindowClosed(false);
        ResetProcessState();
        settings.FontName = "Arial";
        settings.FontSize = 10;
        settings.ColourText = settings.BoldText = settings.Symbols = settings.ShortText = settings.Animated =
            settings.StatusBar = true;
        SetProgramFolder(programDir.Path());
        boxes = std::make_unique<RecordingMessageBox>();
        SetQuitHandler([this] { ++quits; });
        SetFolderPicker([](const std::string&, const std::string&) { return std::string(); });
        ProgramRandom().Seed(42);
    }

    void TearDown() override
    {
        // Windows may ask questions on their way out; answer them quietly.
        boxes->defaultAnswer = MsgAnswer::Yes;
        DestroyAllWindows();
        ProcessEvents();
        SetQuitHandler({});
    }

    void AddShippedLanguage()
    {
        std::filesystem::copy_file(std::string(SCRIVO_SOURCE_DIR) + "/lang/Lang_English.ini",
                                   programDir.File("Lang_English.ini"));
    }

    // A language whose OK and name captions and wizard check captions all carry its name.
    void AddLanguage(const std::string& name)
    {
        programDir.Write("Lang_" + name + ".ini", "[Info]\r\nLang_Name=" + name + "\r\n[Application]\r\n1=" +
                                                      name + " OK\r\n4=" + name + " name\r\n71=" + name +
                                                      " wants a name\r\n72=" + name + " wants a folder\r\n");
    }

    void WriteSettings(const std::string& player, const std::string& dir, const std::string& language)
    {
        programDir.Write("SPK.ini", "[System]\r\nServer Directory=" + dir + "\r\n[Game]\r\nLast Player=" +
                                        player + "\r\n[Options]\r\nLanguage=" + language + "\r\n");
    }

    // Player "Ann" set up on the server directory in English: Main() opens the browser.
    void StartSetUp()
    {
        AddShippedLanguage();
        WriteSettings("Ann", server, "English");
        Main(settings, language);
        boxes->Clear();
    }

    ConnectWiz& StartWizard()
    {
        AddLanguage("Alpha");
        Main(settings, language);
        boxes->Clear();
        return TheConnectWiz();
    }

    // Lets queued events and deferred deletes run.
    static void ProcessEvents()
    {
        for (int i = 0; i < 3; ++i) {
            QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
            QCoreApplication::processEvents();
        }
    }

    Settings settings;
    Language language;
    TempDir programDir;
    TempDir serverDir;
    const std::string server = serverDir.Path() + "/";
    std::unique_ptr<RecordingMessageBox> boxes;
    int quits = 0;
};

using StartupTest = UiTest;

// A first run opens the wizard, labelled in the only language file there is.
// Which settings lead where is decided, case by case, below the windows.
TEST_F(StartupTest, AFirstRunOpensTheWizardInTheOnlyLanguage)
{
    AddShippedLanguage();
    Main(settings, language);
    EXPECT_TRUE(ConnectWizLoaded() && TheConnectWiz().isVisible() && !TheConnectWiz().isModal());
    EXPECT_FALSE(ConnectFrmLoaded() && TheConnectFrm().isVisible());
    EXPECT_EQ(settings.Language, "English");
    EXPECT_EQ(FromQ(TheConnectWiz().Label1->text()), language.AppText[Cap::PlayerName]);
    EXPECT_FALSE(language.AppText[Cap::PlayerName].empty());
    EXPECT_EQ(quits, 0);
}

// A player set up on a reachable folder gets the browser, listing at once.
TEST_F(StartupTest, APlayerSetUpGetsTheBrowserListing)
{
    StartSetUp();
    ASSERT_TRUE(ConnectFrmLoaded() && TheConnectFrm().isVisible());
    EXPECT_FALSE(ConnectWizLoaded() && TheConnectWiz().isVisible());
    EXPECT_TRUE(TheConnectFrm().RefreshRunning());
    EXPECT_EQ(FromQ(TheConnectFrm().PNameLbl->text()), "Ann");
    // The captions are filled once the language is read.
    EXPECT_EQ(FromQ(TheConnectFrm().Command2->text()), language.AppText[Cap::CreateGame]);
    EXPECT_FALSE(language.AppText[Cap::CreateGame].empty());
    EXPECT_EQ(quits, 0);
}

TEST_F(StartupTest, NoLanguageFilesAreReportedAndClosingTheFirstRunWizardEndsWithoutSaving)
{
    Main(settings, language);
    EXPECT_EQ(boxes->LastText(), "Problem - No language files exist (Lang_*.ini)");
    TheConnectWiz().close();
    EXPECT_EQ(quits, 1);
    EXPECT_FALSE(std::filesystem::exists(programDir.File("SPK.ini")));
}

TEST_F(StartupTest, ClosingTheBrowserWithoutATableSavesSettingsAndEnds)
{
    StartSetUp();
    TheConnectFrm().GameNametxt->setText("Friday");
    boxes->defaultAnswer = MsgAnswer::Yes;
    TheConnectFrm().close();
    EXPECT_EQ(quits, 1);
    EXPECT_NE(TempDir::Read(programDir.File("SPK.ini")).find("Friday"), std::string::npos);
}

TEST_F(StartupTest, LeavingTheTableSavesSettingsAndGoesBackToTheGameList)
{
    StartSetUp();
    ASSERT_TRUE(TableWindowLoaded()); // loaded hidden by the settings
    settings.FontSize = 14;
    TheConnectFrm().hide();
    emit TableWindow()->tableClosed();
    ProcessEvents();
    EXPECT_EQ(quits, 0);
    EXPECT_TRUE(TheConnectFrm().isVisible());
    EXPECT_TRUE(TheConnectFrm().RefreshRunning());
    EXPECT_NE(TempDir::Read(programDir.File("SPK.ini")).find("FontSize=14"), std::string::npos);
}

// The turn time, rules and protected box come back after a restart, and
// what is typed or ticked is kept even without creating a game.
TEST_F(StartupTest, TheCreatePaneKeepsItsTurnTimeRulesAndProtectionAcrossARestart)
{
    AddShippedLanguage();
    programDir.Write("SPK.ini", "[System]\r\nServer Directory=" + server +
                                    "\r\n[Game]\r\nLast Player=Ann\r\nTurn Time=10\r\nRules=classic\r\n"
                                    "Protected=True\r\n[Options]\r\nLanguage=English\r\n");
    Main(settings, language);
    ConnectFrm& frm = TheConnectFrm();
    EXPECT_EQ(FromQ(frm.TurnTimeTxt->text()), "10");
    EXPECT_EQ(frm.RulesCombo->currentIndex(), 1);
    EXPECT_TRUE(frm.ProtectedChk->isChecked());
    frm.TurnTimeTxt->setText("25");
    frm.RulesCombo->setCurrentIndex(0);
    frm.ProtectedChk->setChecked(false);
    SaveSettingsNow(settings);
    const std::string saved = TempDir::Read(programDir.File("SPK.ini"));
    for (const char* line : {"Turn Time=25", "Rules=standard", "Protected=False"})
        EXPECT_NE(saved.find(line), std::string::npos) << line << "\n" << saved;
}

// Each program answers --help with its usage, before any window or folder.
TEST_F(StartupTest, ProgramsAnswerHelpWithTheirUsage)
{
    std::vector<std::string> programs{SCRIVO_PROGRAM};
#ifdef SCRIVO_FOLDER_TOOL
    programs.emplace_back(SCRIVO_FOLDER_TOOL);
#endif
    for (const std::string& program : programs) {
        const std::string out = programDir.File("help.txt");
        const int rc = std::system(("timeout 60 '" + program + "' --help >'" + out + "' 2>&1").c_str());
        EXPECT_EQ(rc, 0) << program;
        EXPECT_TRUE(TempDir::Read(out).starts_with("usage: ")) << program << ": " << TempDir::Read(out);
    }
}

struct FailingShell final : ShellService {
    bool OpenDocument(const std::string& target) override { return opened = target, false; }
    std::string opened;
};

// A player name and language captions with markup in them are shown as
// they stand, in every window.
TEST_F(StartupTest, EveryWindowShowsNamesAndCaptionsAsPlainText)
{
    programDir.Write("Lang_Marked.ini", "[Info]\r\nLang_Name=Marked\r\n[Application]\r\n1=<b>OK</b>\r\n"
                                        "4=<font size=7>name</font>\r\n");
    WriteSettings("<font size=7>Ann</font>", server, "Marked");
    Main(settings, language);
    ASSERT_TRUE(ConnectFrmLoaded() && TheConnectFrm().isVisible());
    int marked = 0;
    for (const QWidget* window : std::initializer_list<const QWidget*>{&TheConnectFrm(), &TheConnectWiz(),
                                                                       &TheOpts(), &TheAboutFrm()})
        for (const QLabel* label : window->findChildren<QLabel*>()) {
            marked += label->text().contains(QLatin1String("<font"));
            EXPECT_TRUE(label->textFormat() == Qt::PlainText || !Qt::mightBeRichText(label->text()))
                << FromQ(label->objectName()) << ": " << FromQ(label->text());
        }
    EXPECT_GE(marked, 2); // the name and its caption in the browser
}

TEST_F(StartupTest, MissingInstructionsAreReportedWithTheFullPath)
{
    FailingShell shell;
    SetShellService(&shell);
    OpenInstructions();
    SetShellService(nullptr);
    const std::string path = JoinPath(ProgramFolder(), "readme.html");
    EXPECT_EQ(shell.opened, path);
    ASSERT_EQ(boxes->shown.size(), 1u);
    EXPECT_EQ(boxes->shown[0].text, "Unable to display " + path + " in default browser.");
    EXPECT_EQ(boxes->shown[0].icon, MsgIcon::Exclamation);
}

using WizardTest = UiTest;

TEST_F(WizardTest, ChecksRunInOrderThenOkStoresTheEntriesAndOpensTheBrowser)
{
    ConnectWiz& wiz = StartWizard();
    wiz.ServerCombo->setText(QString::fromStdString(serverDir.File("missing")));
    // Name and folder both wrong: the name is reported first.
    EXPECT_FALSE(wiz.ConnectClick());
    ASSERT_EQ(boxes->shown.size(), 1u);
    EXPECT_EQ(boxes->shown[0].text, "Alpha wants a name");
    EXPECT_EQ(boxes->shown[0].icon, MsgIcon::Information);
    wiz.PName->setText("  Ann ");
    EXPECT_FALSE(wiz.ConnectClick());
    EXPECT_EQ(boxes->LastText(), "Alpha wants a folder");
    EXPECT_TRUE(settings.LastPlayer.empty());
    // No language selected comes before everything else.
    wiz.LangCombo->setCurrentIndex(-1);
    wiz.PName->setText("");
    EXPECT_FALSE(wiz.ConnectClick());
    EXPECT_EQ(boxes->LastText(), "No language selected.");
    wiz.LangCombo->setCurrentIndex(0);
    wiz.PName->setText("  Ann ");
    wiz.ServerCombo->setText(QString::fromStdString(serverDir.Path()));
    ASSERT_TRUE(wiz.ConnectClick());
    EXPECT_EQ(boxes->shown.size(), 3u);       // nothing new
    EXPECT_EQ(settings.LastPlayer, "  Ann "); // taken as typed
    EXPECT_EQ(settings.ServerDirectory, server);
    ProcessEvents();
    EXPECT_FALSE(ConnectWizLoaded());
    ConnectFrm& frm = TheConnectFrm();
    EXPECT_TRUE(frm.isVisible());
    EXPECT_TRUE(frm.RefreshRunning());
    EXPECT_EQ(FromQ(frm.PNameLbl->text()), "  Ann ");
    EXPECT_EQ(quits, 0);
}

// A language chosen relabels the wizard at once, its checks speak it, and the
// standard buttons of message boxes follow its code where Qt has a
// translation of its own.
TEST_F(WizardTest, QtsOwnButtonsFollowTheLanguageFileCode)
{
    programDir.Write("Lang_Beta.ini",
                     "[Info]\r\nLang_Name=Beta\r\nLang_Code=de\r\n[Application]\r\n1=Beta OK\r\n"
                     "4=Beta name\r\n71=Beta wants a name\r\n");
    ConnectWiz& wiz = StartWizard();
    auto yes = [] { return QCoreApplication::translate("QPlatformTheme", "&Yes").toStdString(); };
    EXPECT_EQ(yes(), "&Yes");
    wiz.LangCombo->setCurrentIndex(wiz.LangCombo->findText("Beta"));
    wiz.LangComboClick();
    EXPECT_EQ(yes(), "&Ja");
    EXPECT_EQ(settings.Language, "Beta");
    EXPECT_EQ(FromQ(wiz.ConnectButton->text()) + "|" + FromQ(wiz.Label1->text()), "Beta OK|Beta name");
    EXPECT_FALSE(wiz.ConnectClick());
    EXPECT_EQ(boxes->LastText(), "Beta wants a name");
    wiz.LangCombo->setCurrentIndex(wiz.LangCombo->findText("Alpha"));
    wiz.LangComboClick();
    EXPECT_EQ(yes(), "&Yes");
}

TEST_F(WizardTest, FolderPickerStartsAtTheTypedFolderAndCancelKeepsIt)
{
    ConnectWiz& wiz = StartWizard();
    std::string startedAt, answer;
    SetFolderPicker([&](const std::string&, const std::string& start) { return startedAt = start, answer; });
    wiz.ServerCombo->setText(QString::fromStdString(serverDir.Path()));
    wiz.SelFolderClick();
    EXPECT_EQ(startedAt, serverDir.Path());
    EXPECT_EQ(FromQ(wiz.ServerCombo->text()), serverDir.Path());
    answer = programDir.Path();
    wiz.SelFolderClick();
    EXPECT_EQ(FromQ(wiz.ServerCombo->text()), programDir.Path());
    // An empty start folder (the old default "c") opens at an existing folder.
    wiz.ServerCombo->setText("");
    wiz.SelFolderClick();
    EXPECT_TRUE(IsDirectory(startedAt)) << startedAt;
}

TEST_F(WizardTest, SetupFromTheBrowserIsModalAndClosingItKeepsTheProgram)
{
    StartSetUp();
    bool wasModal = false;
    QTimer::singleShot(0, [&] {
        wasModal = TheConnectWiz().isModal() && TheConnectWiz().isVisible();
        TheConnectWiz().close();
    });
    TheConnectFrm().SetupClick();
    EXPECT_TRUE(wasModal);
    EXPECT_EQ(quits, 0);
    EXPECT_TRUE(TheConnectFrm().isVisible());
}

class BrowserTest : public UiTest {
protected:
    void SetUp() override
    {
        UiTest::SetUp();
        StartSetUp();
    }

    static ConnectFrm& Frm() { return TheConnectFrm(); }

    // A game made by another run of the program on the same folder: host
    // "Bea" with bots, waiting for players.
    std::string OtherHostsGame(const std::string& name, const std::string& bots = "1")
    {
        FolderResult<GameSession> made =
            CreateGame(settings.ServerDirectory, {name, "500", "5", "10", "$", bots}, "Bea");
        EXPECT_TRUE(made.Ok());
        BotCounter counter;
        for (int i = 1; made && i <= made->BotCount; ++i)
            EXPECT_TRUE(AddBot(*made, "Bea", language.BotNames, counter).Ok());
        return made->GameFolder;
    }

    static std::string SeatName(const std::string& folder, int playerNo)
    {
        FolderResult<RecordFile> file = OpenRecordFile(PlayerFilePath(folder), PlayerRecordLength);
        FolderResult<PlayerRecord> seat = file.Ok() ? file->ReadPlayer(playerNo) : file.status;
        return seat.Ok() ? Trim(seat->Name) : "(no seat)";
    }

    static void FillCreatePane(const char* name, const char* cash, const char* sb, const char* bb)
    {
        Frm().CreateClick();
        Frm().GameNametxt->setText(name);
        Frm().StartPotTxt->setText(cash);
        Frm().SmallBlindTxt->setText(sb);
        Frm().BigBlindTxt->setText(bb);
    }

    // A refused or failed attempt leaves no table and the browser listing.
    static void ExpectStillBrowsing()
    {
        EXPECT_FALSE(TableWindowVisible());
        EXPECT_TRUE(Frm().isVisible());
        EXPECT_TRUE(Frm().RefreshRunning());
    }
};

TEST_F(BrowserTest, CreateWithThreeBotsOpensTheTable)
{
    FillCreatePane("Friday", "500", "5", "10");
    EXPECT_FALSE(Frm().Command2->isEnabled());
    Frm().BotsTxt->setText("3");
    Frm().CreateNowClick();
    EXPECT_TRUE(boxes->shown.empty()) << boxes->LastText();
    EXPECT_TRUE(Frm().CurrentGame().IsHost);
    EXPECT_EQ(Frm().CurrentGame().MyPlayerNo, 1);
    FolderResult<GameRecord> game = ReadGameRecord(Frm().CurrentGame().GameFolder);
    ASSERT_TRUE(game.Ok());
    EXPECT_EQ(game->PlayerCount, 4); // the seats' names are the lobby's to choose
    // The browser gives way to the table, collapsed and no longer listing.
    EXPECT_FALSE(Frm().isVisible());
    EXPECT_FALSE(Frm().RefreshRunning());
    EXPECT_TRUE(Frm().CreateFrame->isHidden());
    EXPECT_TRUE(TableWindowVisible());
}

// The lobby's checks have their own table; the browser shows their caption.
TEST_F(BrowserTest, RefusedCreateShowsItsCaptionAndMakesNothing)
{
    FillCreatePane("T", "500", "10", "10");
    Frm().CreateNowClick();
    EXPECT_EQ(boxes->Texts(), std::vector<std::string>{language.AppText[Cap::BlindsInvalid]});
    EXPECT_TRUE(std::filesystem::is_empty(serverDir.Path()));
    ExpectStillBrowsing();
}

TEST_F(BrowserTest, ListsWaitingGamesAndJoinsTheSelectedOneAfterARefresh)
{
    Frm().UpdateList();
    EXPECT_FALSE(Frm().ActiveLbl->isHidden()); // the no-games box
    const std::string lunch = OtherHostsGame("Lunch"), tea = OtherHostsGame("Tea");
    language.AppText[Cap::WaitingStatus] = "Open";
    Frm().UpdateList();
    ASSERT_EQ(Frm().RowCount(), 2);
    EXPECT_EQ(FromQ(Frm().GList->topLevelItem(1)->text(3)), "Open") << "the status in the player's language";
    const std::string second = Frm().RowText(1).substr(0, Frm().RowText(1).find('\t'));
    EXPECT_EQ(Frm().RowText(1), second + "\t2\t5/10\tWaiting for Players");
    EXPECT_TRUE(Frm().ActiveLbl->isHidden());
    Frm().GList->setCurrentItem(Frm().GList->topLevelItem(1));
    EXPECT_TRUE(Frm().Command1->isEnabled()); // a row is selected, we are not a host
    Frm().UpdateList();                       // the refresh keeps the selection on its game
    Frm().JoinClick();
    EXPECT_TRUE(boxes->shown.empty()) << boxes->LastText();
    EXPECT_EQ(Frm().CurrentGame().GameName, second);
    EXPECT_EQ(Frm().CurrentGame().MyPlayerNo, 3);
    EXPECT_EQ(SeatName(second == "Lunch" ? lunch : tea, 3), "Ann");
    EXPECT_EQ(TableWindow()->Engine()->Session().SigningKeyFile, programDir.File("signing.key"));
    EXPECT_FALSE(Frm().Command1->isEnabled() || Frm().Command2->isEnabled() || Frm().Command3->isEnabled());
    EXPECT_TRUE(TableWindowVisible());
    EXPECT_FALSE(Frm().isVisible());
}

// A protected table: marked in the list, made from the check box, which the
// settings remember, and played with the keys beside the settings.
TEST_F(BrowserTest, ProtectedTablesAreMarkedCreatedAndRemembered)
{
    CreateRequest guarded{"Vault", "500", "5", "10", "$", "0"};
    guarded.protectedTable = true;
    ASSERT_TRUE(CreateGame(settings.ServerDirectory, guarded, "Bea").Ok());
    OtherHostsGame("Open");
    Frm().UpdateList();
    ASSERT_EQ(Frm().RowCount(), 2);
    for (int row = 0; row < 2; ++row) {
        const bool vault = Frm().RowText(row).starts_with("Vault");
        EXPECT_EQ(FromQ(Frm().GList->topLevelItem(row)->text(4)), vault ? "Standard, protected" : "Standard");
    }

    FillCreatePane("Friday", "500", "5", "10");
    EXPECT_FALSE(Frm().ProtectedChk->isChecked());
    Frm().ProtectedChk->setChecked(true);
    Frm().CreateNowClick();
    EXPECT_TRUE(boxes->shown.empty()) << boxes->LastText();
    EXPECT_TRUE(ReadTableOptions(Frm().CurrentGame().GameFolder).protectedTable);
    EXPECT_TRUE(TableWindow()->Engine()->Session().Protected);
    EXPECT_EQ(TableWindow()->Engine()->Session().SigningKeyFile, programDir.File("signing.key"));
    EXPECT_TRUE(settings.Protected);
    ConnectFrm next(settings, language);
    EXPECT_TRUE(next.ProtectedChk->isChecked());
}

// The folder and the lobby decide each refusal; the browser shows it and stays.
TEST_F(BrowserTest, RefusedJoinShowsItsCaptionAndOpensNoTable)
{
    OtherHostsGame("Lunch", "8");
    Frm().UpdateList();
    Frm().JoinClick();
    EXPECT_EQ(boxes->LastText(), language.AppText[Cap::TableFull]);
    EXPECT_TRUE(Frm().CurrentGame().GameName.empty());
    ExpectStillBrowsing();
}

TEST_F(BrowserTest, BotsBoxIsClampedAsTypedAndHideCollapses)
{
    for (const auto& [typed, shown] : {std::pair{"12", "8"}, {"", "0"}, {"2.6", "3"}, {"-4", "0"}}) {
        Frm().BotsTxt->setText(typed);
        EXPECT_EQ(Frm().BotsTxt->text().toStdString(), shown) << typed;
    }
    Frm().CreateClick();
    Frm().HideClick();
    EXPECT_TRUE(Frm().CreateFrame->isHidden());
    EXPECT_EQ(Frm().HeightTwips(), 3210);
}

// A player who leaves a game under way lands in the list and stays there;
// a host who leaves may create or join another game at once.
TEST_F(BrowserTest, LeavingATableLandsInTheListForGood)
{
    const auto leave = [&] {
        boxes->defaultAnswer = MsgAnswer::Yes;
        TableWindow()->close();
        ProcessEvents();
        Frm().UpdateList();
        EXPECT_FALSE(TableWindowVisible());
        EXPECT_TRUE(Frm().isVisible());
        EXPECT_TRUE(Frm().Command2->isEnabled() && Frm().Command3->isEnabled());
    };
    // Bea hosts at her own table, in play.
    Settings beas = settings;
    beas.LastPlayer = "Bea";
    Lobby bea{beas, language};
    const BrowserOutcome made = bea.CreateButton({"Lunch", "500", "5", "10", "$", "1"});
    ASSERT_TRUE(made.openTable);
    const std::string lunch = made.session.GameFolder;
    MainForm beasTable{beas, language};
    beasTable.Init(made.session);
    Frm().UpdateList();
    Frm().JoinClick();
    ASSERT_TRUE(TableWindowVisible());
    ASSERT_TRUE(WriteGameRecord(lunch, GameStatus::HandDone, false).Ok()); // Bea has begun
    leave();
    FolderResult<std::string> action = ReadPlayerRecord(lunch, 3);
    EXPECT_EQ(action.value, "D");

    FillCreatePane("Friday", "500", "5", "10");
    Frm().CreateNowClick();
    ASSERT_TRUE(TableWindowVisible());
    leave();
    Frm().GList->setCurrentItem(Frm().GList->topLevelItem(0));
    EXPECT_TRUE(Frm().Command1->isEnabled());
}

TEST_F(BrowserTest, VanishedServerStopsTheRefresh)
{
    settings.ServerDirectory = serverDir.File("gone") + "/";
    Frm().UpdateList();
    EXPECT_EQ(boxes->LastText(), language.AppText[Cap::FolderNotFound]);
    EXPECT_FALSE(Frm().RefreshRunning());
    // The folder is missing, not empty: no "no active games" beside it.
    EXPECT_FALSE(Frm().ActiveLbl->isVisible());
}

class OptionsTest : public UiTest {
protected:
    void SetUp() override
    {
        UiTest::SetUp();
        AddShippedLanguage();
        language.ReadLanguageFile(programDir.File("Lang_English.ini"), settings);
        settings.FontName = "DejaVu Sans";
        own = std::make_unique<Opts>(settings, language);
        opts = own.get();
        opts->LoadFromSettings();
    }

    std::unique_ptr<Opts> own;
    Opts* opts = nullptr;
    using Snapshot = std::tuple<std::string, long, bool, bool, bool, bool, bool, bool>;
    Snapshot Take() const
    {
        return {settings.FontName, settings.FontSize, settings.BoldText, settings.ColourText,
                settings.Symbols,  settings.Animated, settings.CardText, settings.ShortText};
    }
};

// The instructions name the options and the create pane's fields as the
// English windows show them, and no other.
TEST_F(OptionsTest, TheInstructionsNameEveryOptionAndFieldThatExistsAndNoOther)
{
    const std::string readme = TempDir::Read(std::string(SCRIVO_SOURCE_DIR) + "/docs/readme.html");
    // The first cells of the table after a heading.
    auto rowsAfter = [&](const std::string& heading) {
        const std::size_t from = readme.find(heading), to = readme.find("</table>", from);
        std::set<std::string> names;
        static const std::regex cell("<tr><td>([^<]+)</td>");
        const std::string table = readme.substr(from, to - from);
        for (std::sregex_iterator it(table.begin(), table.end(), cell), end; it != end; ++it)
            names.insert((*it)[1]);
        return names;
    };
    std::set<std::string> options{"Font, Size"};
    for (const QCheckBox* box : opts->findChildren<QCheckBox*>())
        options.insert(FromQ(box->text()));
    EXPECT_EQ(rowsAfter("id=\"options\""), options);

    ConnectFrm frm(settings, language);
    frm.ApplyLang();
    std::set<std::string> fields;
    for (const QLabel* label : frm.CreateFrame->findChildren<QLabel*>())
        if (label->alignment() & Qt::AlignRight) // the fields' captions
            fields.insert(FromQ(label->text().remove(':')));
    for (const QCheckBox* box : frm.CreateFrame->findChildren<QCheckBox*>())
        fields.insert(FromQ(box->text()));
    EXPECT_EQ(rowsAfter("<h3>Creating a game</h3>"), fields);
}

TEST_F(OptionsTest, OpensWithTheSettingsAndCancelStoresNothing)
{
    settings.CardText = true;
    settings.Animated = false;
    opts->LoadFromSettings();
    EXPECT_EQ(FromQ(opts->Combo1->currentText()), "DejaVu Sans");
    EXPECT_EQ(FromQ(opts->Combo2->currentText()), "10");
    EXPECT_TRUE(opts->CardTxtChk->isChecked());
    EXPECT_FALSE(opts->AnimChk->isChecked());
    const Snapshot before = Take();
    opts->BoldChk->setChecked(!settings.BoldText);
    opts->Combo2->setCurrentText("14");
    opts->Command2->click();
    EXPECT_EQ(Take(), before);
    // The next opening shows the settings again, not the abandoned choices.
    opts->LoadFromSettings();
    EXPECT_EQ(FromQ(opts->Combo2->currentText()), "10");
}

TEST_F(OptionsTest, NoCardDisplayIsRefusedThenOkStoresEveryChoiceAndASizeWithoutANumberIsKept)
{
    const Snapshot before = Take();
    for (QCheckBox* box :
         {opts->BoldChk, opts->MonoChk, opts->SymChk, opts->AnimChk, opts->ShortNmChk, opts->CardTxtChk})
        box->setChecked(false);
    opts->Combo1->setCurrentText("DejaVu Sans Mono");
    opts->Combo2->setCurrentText("30");
    EXPECT_EQ(opts->RTBp->document()->defaultFont().pointSize(), 30); // the preview follows
    EXPECT_FALSE(opts->Accept());
    ASSERT_EQ(boxes->shown.size(), 1u);
    EXPECT_EQ(boxes->shown[0].text, language.AppText[Cap::ChooseCardLook]);
    EXPECT_EQ(boxes->shown[0].icon, MsgIcon::Information);
    EXPECT_EQ(Take(), before);
    opts->CardTxtChk->setChecked(true);
    opts->AutoDealChk->setChecked(true);
    EXPECT_TRUE(opts->Accept());
    EXPECT_EQ(Take(), Snapshot("DejaVu Sans Mono", 30, false, false, false, false, true, false));
    EXPECT_TRUE(settings.AutoDeal);
    // Written at once: a crash later loses nothing.
    for (const char* key : {"FontSize=30", "Auto Deal=True"})
        EXPECT_NE(TempDir::Read(programDir.File("SPK.ini")).find(key), std::string::npos) << key;
    for (const auto& [typed, kept] : {std::pair{"big", 30}, {"0", 30}, {"12 pt", 12}}) {
        opts->Combo2->setCurrentText(typed);
        EXPECT_TRUE(opts->Accept());
        EXPECT_EQ(settings.FontSize, kept) << typed;
    }
}

} // namespace
} // namespace scrivo::test

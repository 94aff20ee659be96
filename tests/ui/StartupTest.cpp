#include <filesystem>
#include <ostream>
#include <string>

#include <gtest/gtest.h>

#include <QComboBox>
#include <QFrame>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTimer>

#include "platform/MessageBox.h"
#include "platform/Paths.h"
#include "platform/Shell.h"
#include "settings/Language.h"
#include "settings/Settings.h"
#include "console/MainForm.h"
#include "tests/ui/UiFixture.h"
#include "ui/AboutFrm.h"
#include "ui/ConnectFrm.h"
#include "ui/ConnectWiz.h"
#include "ui/MainMod.h"
#include "ui/TableLink.h"
#include "ui/UiCommon.h"

namespace scrivo::test {
namespace {

class StartupTest : public UiTest {};

TEST_F(StartupTest, FirstRunOpensTheWizardWithTheOnlyLanguageLoaded)
{
    AddShippedLanguage("Lang_English.ini");
    Main();
    ASSERT_TRUE(ConnectWizLoaded());
    ConnectWiz& wiz = TheConnectWiz();
    EXPECT_TRUE(wiz.isVisible());
    EXPECT_FALSE(wiz.isModal());
    EXPECT_FALSE(ConnectFrmLoaded() && TheConnectFrm().isVisible());
    // The one language file is chosen and loaded, and labels the wizard.
    EXPECT_EQ(wiz.LangCombo->currentText().toStdString(), "English");
    EXPECT_EQ(Language, "English");
    EXPECT_EQ(StdStr(wiz.ConnectButton->text()), AppText[1]);
    EXPECT_EQ(StdStr(wiz.Label1->text()), AppText[4]);
    EXPECT_EQ(StdStr(wiz.Label4->text()), AppText[3]);
}

TEST_F(StartupTest, SetUpPlayerOpensTheBrowserCollapsedAndListing)
{
    AddShippedLanguage("Lang_English.ini");
    WriteSettings("Ann", server, "English");
    Main();
    EXPECT_FALSE(ConnectWizLoaded());
    ASSERT_TRUE(ConnectFrmLoaded());
    ConnectFrm& frm = TheConnectFrm();
    EXPECT_TRUE(frm.isVisible());
    EXPECT_EQ(frm.HeightTwips(), 3230);
    EXPECT_FALSE(frm.CreateFrame->isVisible());
    EXPECT_TRUE(frm.RefreshRunning());
    EXPECT_EQ(frm.Timer1->interval(), 5000);
    EXPECT_EQ(frm.PNameLbl->text().toStdString(), "Ann");
    // Captions come from the language, filled after it was loaded.
    EXPECT_EQ(StdStr(frm.Command2->text()), AppText[12]);
    EXPECT_TRUE(frm.ActiveLbl->isVisible());
    EXPECT_EQ(quits, 0);
}

struct BrokenSetUp {
    const char* name;
    std::string player;
    bool serverExists;
    std::string language;
};

void PrintTo(const BrokenSetUp& c, std::ostream* os)
{
    *os << c.name;
}

class StartupFallsBackToWizard : public UiTest, public ::testing::WithParamInterface<BrokenSetUp> {};

TEST_P(StartupFallsBackToWizard, WhenSomethingIsMissing)
{
    AddShippedLanguage("Lang_English.ini");
    const BrokenSetUp& c = GetParam();
    WriteSettings(c.player, c.serverExists ? server : serverDir.File("gone") + "/", c.language);
    Main();
    ASSERT_TRUE(ConnectWizLoaded());
    EXPECT_TRUE(TheConnectWiz().isVisible());
    EXPECT_FALSE(ConnectFrmLoaded() && TheConnectFrm().isVisible());
}

INSTANTIATE_TEST_SUITE_P(Cases, StartupFallsBackToWizard,
                         ::testing::Values(BrokenSetUp{"NoName", "", true, "English"},
                                           BrokenSetUp{"ServerVanished", "Ann", false, "English"},
                                           BrokenSetUp{"LanguageGone", "Ann", true, "Klingon"}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST_F(StartupTest, ServerDirectoryThatIsAPlainFileStillCounts)
{
    AddShippedLanguage("Lang_English.ini");
    const std::string file = serverDir.Write("plain", "x");
    WriteSettings("Ann", file, "English");
    Main();
    EXPECT_FALSE(ConnectWizLoaded());
    EXPECT_TRUE(TheConnectFrm().isVisible());
}

TEST_F(StartupTest, ClosingTheWizardOnFirstRunEndsWithoutWritingSettings)
{
    AddShippedLanguage("Lang_English.ini");
    Main();
    ASSERT_TRUE(TheConnectWiz().isVisible());
    TheConnectWiz().close();
    EXPECT_EQ(quits, 1);
    EXPECT_FALSE(std::filesystem::exists(SettingsFile()));
}

TEST_F(StartupTest, ClosingTheBrowserWithoutATableSavesSettingsAndEnds)
{
    AddShippedLanguage("Lang_English.ini");
    WriteSettings("Ann", server, "English");
    Main();
    TheConnectFrm().GameNametxt->setText("Friday");
    boxes->defaultAnswer = MsgAnswer::Yes;
    TheConnectFrm().close();
    EXPECT_EQ(quits, 1);
    const std::string ini = TempDir::Read(SettingsFile());
    EXPECT_NE(ini.find("Friday"), std::string::npos);
    EXPECT_NE(ini.find("Ann"), std::string::npos);
}

TEST_F(StartupTest, LeavingTheTableSavesSettingsOnceAndEnds)
{
    AddShippedLanguage("Lang_English.ini");
    WriteSettings("Ann", server, "English");
    Main();
    ASSERT_TRUE(TableWindowLoaded()); // loaded hidden by the settings
    FontSize = 14;
    emit TableWindow()->tableClosed();
    emit TableWindow()->tableClosed();
    EXPECT_EQ(quits, 1);
    EXPECT_FALSE(TheConnectFrm().isVisible());
    const std::string ini = TempDir::Read(SettingsFile());
    EXPECT_NE(ini.find("FontSize=14"), std::string::npos) << ini;
}

TEST_F(StartupTest, NoLanguageFilesAtAllIsReported)
{
    Main();
    ASSERT_TRUE(ConnectWizLoaded());
    EXPECT_EQ(TheConnectWiz().LangCombo->count(), 0);
    ASSERT_FALSE(boxes->shown.empty());
    EXPECT_EQ(boxes->shown.front().text, "Problem - No language files exist (Lang_*.ini)");
    EXPECT_EQ(boxes->shown.front().icon, MsgIcon::Exclamation);
}

class FailingShell final : public ShellService {
public:
    bool OpenDocument(const std::string& target) override
    {
        opened = target;
        return false;
    }
    std::string opened;
};

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

TEST_F(StartupTest, AboutBoxShowsTheBuildVersion)
{
    AboutFrm& about = TheAboutFrm();
    about.Prepare();
    EXPECT_EQ(about.VerLbl->text().toStdString(), VersionText("V"));
    EXPECT_EQ(VersionText("V"), std::string("V") + SCRIVO_VERSION + " 1st Ed");
}

} // namespace
} // namespace scrivo::test

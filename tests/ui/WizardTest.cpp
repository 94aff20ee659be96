#include <string>

#include <gtest/gtest.h>

#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

#include "platform/MessageBox.h"
#include "settings/Language.h"
#include "settings/Settings.h"
#include "tests/ui/UiFixture.h"
#include "ui/ConnectFrm.h"
#include "ui/ConnectWiz.h"
#include "ui/FolderDialog.h"
#include "ui/MainMod.h"

namespace scrivo::test {
namespace {

class WizardTest : public UiTest {
protected:
    ConnectWiz& StartWizard()
    {
        Main();
        EXPECT_TRUE(ConnectWizLoaded());
        boxes->Clear();
        return TheConnectWiz();
    }
};

TEST_F(WizardTest, ChecksRunInOrderAndEachStopsTheWizard)
{
    AddLanguage("Lang_A.ini", "Alpha", "Okay", "Name");
    ConnectWiz& wiz = StartWizard();
    wiz.PName->setText("");
    wiz.ServerCombo->setText(QString::fromStdString(serverDir.File("missing")));

    // Name and folder both wrong: the name is reported first.
    EXPECT_FALSE(wiz.ConnectClick());
    ASSERT_EQ(boxes->shown.size(), 1u);
    EXPECT_EQ(boxes->shown[0].text, "Alpha wants a name");
    EXPECT_EQ(boxes->shown[0].icon, MsgIcon::Information);

    wiz.PName->setText("Ann");
    EXPECT_FALSE(wiz.ConnectClick());
    EXPECT_EQ(boxes->LastText(), "Alpha wants a folder");
    EXPECT_TRUE(LastPlayer.empty());
    EXPECT_TRUE(ConnectWizLoaded());

    // Nothing selected comes before everything else.
    wiz.LangCombo->setCurrentIndex(-1);
    wiz.PName->setText("");
    EXPECT_FALSE(wiz.ConnectClick());
    EXPECT_EQ(boxes->LastText(), "No language selected.");
}

TEST_F(WizardTest, OkStoresTheEntriesAddsOneSeparatorAndOpensTheBrowser)
{
    AddLanguage("Lang_A.ini", "Alpha", "Okay", "Name");
    ConnectWiz& wiz = StartWizard();
    wiz.PName->setText("  Ann ");
    wiz.ServerCombo->setText(QString::fromStdString(serverDir.Path()));
    ASSERT_TRUE(wiz.ConnectClick());
    EXPECT_TRUE(boxes->shown.empty());
    EXPECT_EQ(LastPlayer, "  Ann "); // taken as typed
    EXPECT_EQ(ServerDirectory, serverDir.Path() + "/");
    ProcessEvents();
    EXPECT_FALSE(ConnectWizLoaded());
    ConnectFrm& frm = TheConnectFrm();
    EXPECT_TRUE(frm.isVisible());
    EXPECT_EQ(frm.HeightTwips(), 3230);
    EXPECT_TRUE(frm.RefreshRunning());
    EXPECT_EQ(frm.PNameLbl->text().toStdString(), "  Ann ");
    EXPECT_EQ(quits, 0);
}

TEST_F(WizardTest, AFolderWithItsSeparatorKeepsJustOne)
{
    AddLanguage("Lang_A.ini", "Alpha", "Okay", "Name");
    ConnectWiz& wiz = StartWizard();
    wiz.PName->setText("Ann");
    wiz.ServerCombo->setText(QString::fromStdString(server));
    ASSERT_TRUE(wiz.ConnectClick());
    EXPECT_EQ(ServerDirectory, server);
}

TEST_F(WizardTest, ChoosingALanguageRelabelsAtOnce)
{
    AddLanguage("Lang_A.ini", "Alpha", "Okay", "Name");
    AddLanguage("Lang_B.ini", "Beta", "Jawohl", "Spielername");
    ConnectWiz& wiz = StartWizard();
    wiz.show();
    const int beta = wiz.LangCombo->findText("Beta");
    ASSERT_GE(beta, 0);
    wiz.LangCombo->setCurrentIndex(beta);
    wiz.LangComboClick();
    EXPECT_EQ(Language, "Beta");
    EXPECT_EQ(wiz.ConnectButton->text().toStdString(), "Jawohl");
    EXPECT_EQ(wiz.Label1->text().toStdString(), "Spielername");
    // OK reloads the selected language before it checks anything.
    wiz.PName->setText("");
    EXPECT_FALSE(wiz.ConnectClick());
    EXPECT_EQ(boxes->LastText(), "Beta wants a name");
}

TEST_F(WizardTest, FolderPickerStartsAtTheTypedFolderAndCancelKeepsIt)
{
    AddLanguage("Lang_A.ini", "Alpha", "Okay", "Name");
    ConnectWiz& wiz = StartWizard();
    std::string startedAt;
    std::string answer;
    SetFolderPicker([&](const std::string&, const std::string& start) {
        startedAt = start;
        return answer;
    });
    wiz.ServerCombo->setText(QString::fromStdString(serverDir.Path()));
    wiz.SelFolderClick();
    EXPECT_EQ(startedAt, serverDir.Path());
    EXPECT_EQ(wiz.ServerCombo->text().toStdString(), serverDir.Path());

    answer = programDir.Path();
    wiz.SelFolderClick();
    EXPECT_EQ(wiz.ServerCombo->text().toStdString(), programDir.Path());

    // An empty or missing start folder opens at the home folder.
    wiz.ServerCombo->setText("");
    wiz.SelFolderClick();
    EXPECT_FALSE(startedAt.empty());
    EXPECT_NE(startedAt, "c");
}

TEST_F(WizardTest, SetupFromTheBrowserIsModalAndClosingItKeepsTheProgram)
{
    AddLanguage("Lang_A.ini", "Alpha", "Okay", "Name");
    WriteSettings("Ann", server, "Alpha");
    Main();
    ASSERT_TRUE(TheConnectFrm().isVisible());
    bool wasModal = false;
    QMetaObject::invokeMethod(
        &TheConnectFrm(),
        [&] {
            wasModal = TheConnectWiz().isModal() && TheConnectWiz().isVisible();
            TheConnectWiz().close();
        },
        Qt::QueuedConnection);
    TheConnectFrm().SetupClick();
    EXPECT_TRUE(wasModal);
    EXPECT_EQ(quits, 0);
    EXPECT_TRUE(TheConnectFrm().isVisible());
}

} // namespace
} // namespace scrivo::test

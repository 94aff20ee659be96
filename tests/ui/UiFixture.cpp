#include "tests/ui/UiFixture.h"

#include <filesystem>
#include <fstream>

#include <QApplication>
#include <QCoreApplication>
#include <QEvent>

#include "gamefolder/CurrentGame.h"
#include "platform/Paths.h"
#include "platform/Random.h"
#include "settings/Language.h"
#include "settings/Settings.h"
#include "settings/SettingsStore.h"
#include "ui/FolderDialog.h"
#include "ui/MainMod.h"

namespace scrivo::test {

namespace {

QApplication& App()
{
    static int argc = 1;
    static char name[] = "ui_tests";
    static char* argv[] = {name, nullptr};
    static QApplication* app = new QApplication(argc, argv);
    return *app;
}

void ResetGlobals()
{
    ServerDelay = 1500;
    ServerDirectory.clear();
    LastPlayer.clear();
    Language.clear();
    LanguageFile.clear();
    FontName = "Arial";
    FontSize = 10;
    ColourText = BoldText = Symbols = ShortText = Animated = StatusBar = true;
    CardText = ScrivoMode = false;
    GameFolder.clear();
    GameName.clear();
    GameType.clear();
    MyPlayerNo = 0;
    IsHost = false;
    BotCount = 0;
    MyCash = Currency();
    for (auto& t : LangText)
        t.clear();
    for (auto& t : AppText)
        t.clear();
    for (auto& t : BotNames)
        t.clear();
    BotChat.assign(1, std::string());
    LangNames.assign(1, std::string());
    LangFiles.assign(1, std::string());
}

} // namespace

void UiTest::SetUp()
{
    App();
    QApplication::setQuitOnLastWindowClosed(false);
    ResetGlobals();
    SetProgramFolder(programDir.Path());
    SettingsIni().SetPath("");
    server = serverDir.Path() + "/";
    boxes = std::make_unique<RecordingMessageBox>();
    SetQuitHandler([this] { ++quits; });
    SetFolderPicker([](const std::string&, const std::string&) { return std::string(); });
    ProgramRandom().Seed(42);
}

void UiTest::TearDown()
{
    // Windows may ask questions on their way out; answer them quietly.
    boxes->defaultAnswer = MsgAnswer::Yes;
    DestroyAllWindows();
    ProcessEvents();
    SetQuitHandler({});
    SetFolderPicker({});
    boxes.reset();
    ResetGlobals();
}

void UiTest::AddShippedLanguage(const std::string& fileName)
{
    std::filesystem::copy_file(std::string(SCRIVO_SOURCE_DIR) + "/lang/" + fileName,
                               programDir.File(fileName));
}

void UiTest::AddLanguage(const std::string& fileName, const std::string& name, const std::string& okCaption,
                         const std::string& nameCaption)
{
    programDir.Write(fileName, "[Info]\r\nLang_Name=" + name + "\r\n[Application]\r\n1=" + okCaption +
                                   "\r\n4=" + nameCaption + "\r\n71=" + name + " wants a name\r\n72=" + name +
                                   " wants a folder\r\n[Bots]\r\n1=" + name + "Bot1\r\n2=" + name +
                                   "Bot2\r\n");
}

void UiTest::WriteSettings(const std::string& player, const std::string& serverDirectory,
                           const std::string& language)
{
    programDir.Write("SPK.ini", "[System]\r\nServer Directory=" + serverDirectory +
                                    "\r\n[Game]\r\nLast Player=" + player +
                                    "\r\n[Options]\r\nLanguage=" + language + "\r\n");
}

std::string UiTest::SettingsFile() const
{
    return programDir.File("SPK.ini");
}

void UiTest::ProcessEvents()
{
    for (int i = 0; i < 3; ++i) {
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        QCoreApplication::processEvents();
    }
}

} // namespace scrivo::test

#include "ui/MainMod.h"

#include <exception>
#include <memory>

#include <QApplication>
#include <QPointer>
#include <QTimer>

#include "platform/MessageBox.h"
#include "platform/Paths.h"
#include "platform/Shell.h"
#include "settings/Language.h"
#include "settings/Settings.h"
#include "settings/SettingsStore.h"
#include "settings/Startup.h"
#include "console/MainForm.h"
#include "ui/AboutFrm.h"
#include "ui/ConnectFrm.h"
#include "ui/ConnectWiz.h"
#include "ui/Opts.h"
#include "ui/SettingsLink.h"
#include "ui/TableLink.h"
#include "ui/UiCommon.h"

namespace scrivo {

namespace {

struct Windows {
    Settings settings;
    Language language;
    QPointer<ConnectFrm> browser;
    QPointer<ConnectWiz> wizard;
    QPointer<Opts> options;
    QPointer<AboutFrm> about;
    std::function<void()> quitHandler;
    bool ending = false;
};

Windows& W()
{
    static Windows windows;
    return windows;
}

constexpr long BrowserFirstHeight = 3230;

} // namespace

void Main()
{
    try {
        WindowSettingsControls controls;
        const StartWindow start = DecideStartWindow(W().settings, W().language, &controls);
        ApplyQtTranslation(W().language, W().settings);
        if (start == StartWindow::Browser) {
            ConnectFrm& browser = TheConnectFrm();
            browser.SetHeightTwips(BrowserFirstHeight);
            browser.StartTimer();
            browser.ApplyLang();
            browser.show();
        } else {
            ConnectWiz& wizard = TheConnectWiz();
            wizard.setModal(false);
            wizard.show();
        }
    } catch (const std::exception& e) {
        MsgBox(std::string("Error initialising SPK!\r\n") + e.what(), MsgButtons::Ok, MsgIcon::Exclamation);
        // Nothing is on screen: end rather than run on invisibly.
        QuitProgram();
    }
}

void OpenInBrowser(const std::string& document)
{
    if (!CurrentShellService().OpenDocument(document)) {
        MsgBox("Unable to display " + document + " in default browser.", MsgButtons::Ok,
               MsgIcon::Exclamation);
    }
}

std::string InstructionsPath()
{
    return JoinPath(ProgramFolder(), "readme.html");
}

void OpenInstructions()
{
    OpenInBrowser(InstructionsPath());
}

Settings& ProgramSettings()
{
    return W().settings;
}

Language& ProgramLanguage()
{
    return W().language;
}

ConnectFrm& TheConnectFrm()
{
    if (W().browser.isNull()) W().browser = new ConnectFrm(W().settings, W().language);
    return *W().browser;
}

bool ConnectFrmLoaded()
{
    return !W().browser.isNull();
}

ConnectWiz& TheConnectWiz()
{
    if (W().wizard.isNull()) W().wizard = new ConnectWiz(W().settings, W().language);
    return *W().wizard;
}

bool ConnectWizLoaded()
{
    return !W().wizard.isNull();
}

void UnloadConnectWiz()
{
    if (!W().wizard.isNull()) {
        W().wizard->hide();
        W().wizard->deleteLater();
        W().wizard = nullptr;
    }
}

void ShowWizardModal()
{
    ConnectWiz& wizard = TheConnectWiz();
    QPointer<ConnectWiz> guard(&wizard);
    wizard.setModal(true);
    wizard.exec();
    // A wizard closed without OK goes too: the next "setup" starts afresh.
    if (!guard.isNull()) UnloadConnectWiz();
}

Opts& TheOpts()
{
    if (W().options.isNull()) W().options = new Opts(W().settings, W().language);
    return *W().options;
}

AboutFrm& TheAboutFrm()
{
    if (W().about.isNull()) W().about = new AboutFrm(W().language);
    return *W().about;
}

void ShowOptions()
{
    TheOpts().exec();
}

void ShowAbout()
{
    TheAboutFrm().exec();
}

void EndProgram()
{
    if (W().ending) return;
    W().ending = true;
    {
        WindowSettingsControls controls;
        SaveSettings(W().settings, &controls);
    }
    if (!W().browser.isNull()) W().browser->hide();
    if (!W().options.isNull()) W().options->hide();
    if (!W().about.isNull()) W().about->hide();
    UnloadConnectWiz();
    QuitProgram();
}

void QuitProgram()
{
    W().ending = true;
    if (W().quitHandler) {
        W().quitHandler();
    } else {
        // Leave the event loop; when it is not running yet, as soon as it starts.
        QTimer::singleShot(0, qApp, [] { QCoreApplication::exit(0); });
        QCoreApplication::exit(0);
    }
}

bool ProgramEnding()
{
    return W().ending;
}

void SetQuitHandler(std::function<void()> handler)
{
    W().quitHandler = std::move(handler);
}

void DestroyAllWindows()
{
    delete W().wizard.data();
    delete W().options.data();
    delete W().about.data();
    delete W().browser.data();
    DestroyTableWindow();
    W().wizard = nullptr;
    W().options = nullptr;
    W().about = nullptr;
    W().browser = nullptr;
    W().ending = false;
}

} // namespace scrivo

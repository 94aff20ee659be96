#include "ui/MainMod.h"

#include <exception>
#include <memory>

#include <QApplication>
#include <QObject>
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
#include "gamefolder/GameSession.h"
#include "ui/AboutFrm.h"
#include "ui/ConnectFrm.h"
#include "ui/ConnectWiz.h"
#include "ui/Opts.h"
#include "ui/SettingsLink.h"
#include "ui/TableLink.h"
#include "ui/UiCommon.h"

namespace scrivo {

namespace {

// The program's windows, and what Main was given to hand to them.
struct Windows {
    Settings* settings = nullptr;
    Language* language = nullptr;
    double tablePauseScale = 1.0;
    QPointer<MainForm> table;
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

Settings& TheSettings()
{
    Q_ASSERT(W().settings && "a window made before Main");
    return *W().settings;
}

Language& TheLanguage()
{
    Q_ASSERT(W().language && "a window made before Main");
    return *W().language;
}

constexpr long BrowserFirstHeight = 3230;

} // namespace

void Main(Settings& settings, Language& language)
{
    W().settings = &settings;
    W().language = &language;
    try {
        WindowSettingsControls controls;
        const StartWindow start = DecideStartWindow(settings, language, &controls);
        ApplyQtTranslation(language, settings);
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

void SetTablePauseScale(double factor)
{
    W().tablePauseScale = factor;
    if (!W().table.isNull()) W().table->SetPauseScale(factor);
}

ConnectFrm& TheConnectFrm()
{
    if (W().browser.isNull()) {
        W().browser = new ConnectFrm(TheSettings(), TheLanguage());
        // Where it opens until the settings file says otherwise.
        PlaceFirstShow(W().browser, QSize(TwipsToPixelsX(7800), TwipsToPixelsY(BrowserFirstHeight)),
                       CopyNumber());
    }
    return *W().browser;
}

bool ConnectFrmLoaded()
{
    return !W().browser.isNull();
}

ConnectWiz& TheConnectWiz()
{
    if (W().wizard.isNull()) W().wizard = new ConnectWiz(TheSettings(), TheLanguage());
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
    if (W().options.isNull()) W().options = new Opts(TheSettings(), TheLanguage());
    return *W().options;
}

AboutFrm& TheAboutFrm()
{
    if (W().about.isNull()) W().about = new AboutFrm(TheLanguage());
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

void SaveSettingsNow(const Settings& settings)
{
    try {
        // The windows' places are saved with them once the browser exists.
        if (!ConnectFrmLoaded()) {
            SaveSettings(settings);
            return;
        }
        WindowSettingsControls controls;
        SaveSettings(settings, &controls);
    } catch (const std::exception& e) {
        MsgBox(std::string("Error saving settings: ") + e.what());
    }
}

void ReturnToBrowser()
{
    if (ProgramEnding()) {
        EndProgram();
        return;
    }
    SaveSettingsNow(TheSettings());
    if (!W().table.isNull()) {
        // A table is opened once per window: the next game gets a new one.
        W().table->hide();
        W().table->deleteLater();
        W().table = nullptr;
    }
    TheConnectFrm().BackFromTable();
}

void EndProgram()
{
    if (W().ending) return;
    W().ending = true;
    SaveSettingsNow(TheSettings());
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
    W().settings = nullptr;
    W().language = nullptr;
}

// ---- the table window (ui/TableLink.h)

MainForm* TableWindow()
{
    if (W().table.isNull()) {
        auto* form = new MainForm(TheSettings(), TheLanguage());
        form->setAttribute(Qt::WA_DeleteOnClose, false);
        PlaceFirstShow(form, QSize(TwipsToPixelsX(9600), TwipsToPixelsY(7200)), CopyNumber());
        form->SetPauseScale(W().tablePauseScale);
        QObject::connect(form, &MainForm::tableClosed, form, [] { ReturnToBrowser(); });
        QObject::connect(form, &MainForm::optionsRequested, form, [] { ShowOptions(); });
        QObject::connect(form, &MainForm::aboutRequested, form, [] { ShowAbout(); });
        QObject::connect(form, &MainForm::instructionsRequested, form, [] { OpenInstructions(); });
        W().table = form;
    }
    return W().table.data();
}

bool TableWindowLoaded()
{
    return !W().table.isNull();
}

bool TableWindowVisible()
{
    return !W().table.isNull() && W().table->isVisible();
}

void OpenTableWindow(const GameSession& session)
{
    MainForm* form = TableWindow();
    // The table opens once per program run; a second request only brings it up.
    if (!form->isVisible()) form->Init(session);
    // A table that could not be opened has reported why and gone back to
    // the game list.
    if (form->HasLeft()) return;
    form->show();
    form->raise();
    form->activateWindow();
}

bool UnloadTableWindow()
{
    if (W().table.isNull()) return true;
    return W().table->close();
}

void RefreshTableLog()
{
    if (!W().table.isNull()) W().table->MsgRefresh();
}

void DestroyTableWindow()
{
    delete W().table.data();
    W().table = nullptr;
}

} // namespace scrivo

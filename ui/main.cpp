#include <QApplication>
#include <QIcon>

#include "console/QtPlatform.h"
#include "settings/Language.h"
#include "settings/Settings.h"
#include "ui/MainMod.h"
#include "ui/QtShell.h"
#include "ui/UiCommon.h"
#ifdef SCRIVO_TEST_HOOKS
#include "ui/hooks/TestHooks.h"
#endif

int main(int argc, char* argv[])
{
    // The program's settings and language, handed to every window; made
    // first, so that they outlive the application and its windows.
    scrivo::Settings settings;
    scrivo::Language language;
    QApplication app(argc, argv);
    QApplication::setApplicationName("Scrivo Poker");
    QApplication::setApplicationVersion(SCRIVO_VERSION);
    QApplication::setWindowIcon(QIcon(scrivo::ProgramLogo(64)));
    // The program decides itself when it ends (the wizard's close box, the
    // table window's unload), not Qt's last-window rule.
    QApplication::setQuitOnLastWindowClosed(false);
    // Waits for a file another client holds keep the windows answering.
    scrivo::WindowClock clock;
    scrivo::SetProgramClock(&clock);
    scrivo::InstallQtMessageBoxes();
    scrivo::InstallQtShell();
#ifdef SCRIVO_TEST_HOOKS
    scrivo::InstallTestHooks();
#endif
    scrivo::Main(settings, language);
    const int code = scrivo::ProgramEnding() ? 0 : QApplication::exec();
    scrivo::SetProgramClock(nullptr);
    return code;
}

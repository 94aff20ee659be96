#include <cstdio>
#include <string_view>

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

namespace {

constexpr const char* Usage = "usage: scrivo-poker [--help | --version]\n"
                              "\n"
                              "Texas Hold'em for players who share a folder. Without arguments the game\n"
                              "list opens, or on the first run the setup wizard. The settings are kept in\n"
                              "SPK.ini beside the program, or when the program's folder cannot be written\n"
                              "in $XDG_CONFIG_HOME/scrivo-poker (by default ~/.config/scrivo-poker).\n";

} // namespace

int main(int argc, char* argv[])
{
    // Answered before any window or display is asked for.
    for (int i = 1; i < argc; ++i) {
        const std::string_view arg = argv[i];
        if (arg == "--help" || arg == "-h") {
            std::fputs(Usage, stdout);
            return 0;
        }
        if (arg == "--version") {
            std::printf("scrivo-poker %s\n", SCRIVO_VERSION);
            return 0;
        }
    }
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

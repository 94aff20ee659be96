#include "settings/Startup.h"

#include "platform/Paths.h"
#include "settings/Language.h"
#include "settings/Settings.h"

namespace scrivo {

StartWindow DecideStartWindow(Settings& settings, Language& language, SettingsControls* controls)
{
    LoadSettings(settings, controls);
    language.ScanLanguageFiles(settings);
    language.ReadLanguageFile(settings.LanguageFile, settings);
    const bool named = !settings.LastPlayer.empty();
    const bool reachable = FolderExists(settings.ServerDirectory);
    const bool chosen = !settings.Language.empty();
    return named && reachable && chosen ? StartWindow::Browser : StartWindow::Wizard;
}

} // namespace scrivo

#include "settings/Startup.h"

#include "platform/Paths.h"
#include "settings/Language.h"
#include "settings/Settings.h"

namespace scrivo {

StartWindow DecideStartWindow(SettingsControls* controls)
{
    LoadSettings(controls);
    ScanLanguageFiles();
    ReadLanguageFile(LanguageFile);
    const bool named = !LastPlayer.empty();
    const bool reachable = FolderExists(ServerDirectory);
    const bool language = !Language.empty();
    return named && reachable && language ? StartWindow::Browser : StartWindow::Wizard;
}

} // namespace scrivo

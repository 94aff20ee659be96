#pragma once

#include <functional>
#include <string>

namespace scrivo {

class AboutFrm;
class ConnectFrm;
class ConnectWiz;
class Language;
class Opts;
struct Settings;

// Start of the program: loads the settings and the language into the
// caller's values and opens the first window, the session browser or the
// start-up wizard. The caller (main(), a test) keeps both for as long as
// windows exist; each window is handed them by reference when it is made,
// and no other code reaches them. The caller runs the event loop afterwards.
void Main(Settings& settings, Language& language);

// Tools and tests that play many hands shorten the table window's reading
// waits (1 = as they are, 0 = none); applies to the table window when it is
// made.
void SetTablePauseScale(double factor);

// Opens a document or web address with the desktop's default handler;
// tells the user when that fails.
void OpenInBrowser(const std::string& document);
// The instructions, readme.html beside the program.
std::string InstructionsPath();
void OpenInstructions();

// The windows, each created on first use (after Main) and kept until the
// program ends.
ConnectFrm& TheConnectFrm();
bool ConnectFrmLoaded();
ConnectWiz& TheConnectWiz();
bool ConnectWizLoaded();
void UnloadConnectWiz();
// The wizard modal over the browser ("setup").
void ShowWizardModal();
void ShowOptions();
void ShowAbout();
Opts& TheOpts();
AboutFrm& TheAboutFrm();

// Writes the settings (and the windows' places) to SPK.ini at once: after
// the wizard or the options are accepted, so that a crash later loses
// nothing the player chose.
void SaveSettingsNow(const Settings& settings);
// The table window has gone: back to the game list, unless the program is
// ending anyway.
void ReturnToBrowser();
// Program end after the table window has gone: saves the settings, closes
// the other windows and ends the program.
void EndProgram();
// Ends the program at once, saving nothing.
void QuitProgram();
bool ProgramEnding();

// Tests replace what ending the program does (default: leave the event
// loop) and tear every window down between cases; the windows then let go
// of the settings and language Main was given.
void SetQuitHandler(std::function<void()> handler);
void DestroyAllWindows();

} // namespace scrivo

#pragma once

namespace scrivo {

struct GameSession;
class MainForm;

// The table window as the other windows see it. The table window is
// created on first use, with the settings and language Main was given, and
// lives until the program ends (ui/MainMod.cpp keeps it with the others).
MainForm* TableWindow(); // creates it when needed (null without a table window)
bool TableWindowLoaded();
bool TableWindowVisible();
// Init for the session's game, then show it.
void OpenTableWindow(const GameSession& session);
// Asks the table window to close (it asks its own question). True when it
// closed or there is none.
bool UnloadTableWindow();
// Rebuilds the table's log in the current looks.
void RefreshTableLog();
// Destroys the table window (program end and tests).
void DestroyTableWindow();

} // namespace scrivo

#pragma once

#include <optional>
#include <string>

#include "gamefolder/Directory.h"
#include "gamefolder/GameSession.h"
#include "gamefolder/RecordFile.h"
#include "settings/TextIds.h"

namespace scrivo {

class Language;
struct Settings;

// Shows a failed folder operation as its fixed prefix and description.
// Nothing is shown when it went well or when a caller already gave up on
// the operation.
void ReportFailure(const std::string& prefix, const FolderStatus& status);

// The outcome of the create and join buttons. caption is the AppText caption
// of a failed check (already shown), none otherwise; openTable is true only
// when the game was created or joined, and session is then the game to open.
struct BrowserOutcome {
    std::optional<CapId> caption;
    FolderStatus status;
    bool openTable = false;
    GameSession session;
};

// What the session browser does around the directory of games, without a
// window: the checks before creating or joining, the messages and captions
// the player sees, and the game this client has created or joined. The
// browser window and the headless tools both drive one. The settings
// (ServerDirectory, LastPlayer) and the language are read at each call.
class Lobby {
public:
    Lobby(const Settings& settings, const Language& language);

    // Lists the games. A missing server directory shows caption 69; other
    // errors show "Error updating list: " and keep the rows found so far.
    FolderResult<GameList> UpdateList(const std::string& selectedGameId);
    RowSelection SelectRow(const GameList& list, int row) const;

    // The AppText caption of the first create check that fails (61 to 64), if any.
    static std::optional<CapId> CheckCreate(const CreateRequest& request);

    // "Create Now": the checks, then the game and its bots. Errors: "Error in
    // Create Game: ", "Error adding bots", "Error in Bot Join: ".
    BrowserOutcome CreateButton(const CreateRequest& request);

    // "join" for the game of the selected row (empty: no row selected).
    // Captions 65 to 68; errors "Error connecting to game." / "Error in Join
    // Game: ".
    BrowserOutcome JoinGame(const std::string& gameId);

    // The game this client created or joined last (an empty GameName: none).
    const GameSession& Current() const { return m_current; }
    const BotCounter& Bots() const { return m_bots; }

private:
    const Settings& m_settings;
    const Language& m_language;
    GameSession m_current;
    BotCounter m_bots;
};

// Leaving the table: marks this client departed, then either removes the
// game (no human left) or tells the others, and ends the game when the host
// leaves (the session is then no longer the host's). ownName is this
// client's name at the table. Errors are shown with their fixed prefixes.
struct LeaveOutcome {
    bool removedGame = false;
    bool endedGame = false; // the host left with others still seated
    FolderStatus status;
    // The line that told the others, and its record in msg.spk (0: none).
    std::string line;
    std::int64_t lineRecord = 0;
};
LeaveOutcome LeaveGame(GameSession& session, const std::string& ownName, const Language& language);

} // namespace scrivo

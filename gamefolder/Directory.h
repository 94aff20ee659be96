#pragma once

#include <string>
#include <vector>

#include "gamefolder/RecordFile.h"

namespace scrivo {

// The games of the server directory, and creating, joining and leaving one.
// These are the session browser's operations with its controls replaced by
// arguments and results; the window shows what comes back. They work on the
// settings globals (ServerDirectory, LastPlayer), the language tables
// (AppText, BotNames, FormatText) and the current-game globals.

inline constexpr const char* GameFolderSuffix = "_tmp";
inline constexpr const char* WaitingStatusText = "Waiting for Players";
inline constexpr const char* InProgressStatusText = "In Progress";

struct GameListRow {
    std::string name; // trimmed
    int players = 0;
    std::string blinds; // "small/big", plain decimals
    std::string status; // WaitingStatusText or InProgressStatusText
    std::string id;     // the game folder's name, e.g. "123_tmp"

    // The list box line: the columns joined by tabs.
    std::string Line() const;
};

struct GameList {
    std::vector<GameListRow> rows; // rows[r].id is the id of row r
    int selectRow = -1;            // the row to select; -1 when there are none
    bool showNoGamesBox = false;   // ActiveLbl
    bool enableCreate = false;     // the host's own game has more than one player
    bool openTable = false;        // our game has started and we are not its host
    bool serverMissing = false;    // caption 69 was shown: stop the refresh timer
};

// Lists the games. selectedGameId is the id of the row last selected. Errors
// are reported with "Error updating list: "; the rows found so far are kept.
FolderResult<GameList> UpdateList(const std::string& selectedGameId);

// Selecting a row: the id to remember, and whether join is to be enabled
// (never in the host's client).
struct RowSelection {
    std::string selectedGameId;
    bool enableJoin = false;
};
RowSelection SelectRow(const GameList& list, int row);

// The contents of the create pane, as typed.
struct CreateRequest {
    std::string gameName;
    std::string startCash;
    std::string smallBlind;
    std::string bigBlind;
    std::string currency;
    std::string bots;
    int limitType = 2; // TypeCombo: 0 limit, 1 pot limit, 2 no limit
};

// Numbers the bots seated by this program run; the browser owns one.
class BotCounter {
public:
    int Next() { return ++m_count; }
    int Count() const { return m_count; }

private:
    int m_count = 0;
};

// The AppText caption of the first create check that fails (61 to 64), or 0.
int CheckCreate(const CreateRequest& request);

// Creates the game folder and files, seats the creator and the bots, and
// sets the current-game globals. Errors: "Error in Create Game: ".
FolderStatus CreateGame(const CreateRequest& request, BotCounter& bots);

// Seats one bot in the current game. A full table is silently skipped.
// Errors: "Error adding bots" / "Error in Bot Join: ".
FolderStatus AddBot(BotCounter& bots);

// The outcome of the create and join buttons. caption is the AppText caption
// of a failed check (already shown), 0 otherwise; openTable is true only
// when the game was created or joined.
struct BrowserOutcome {
    int caption = 0;
    FolderStatus status;
    bool openTable = false;
};

// "Create Now": the checks, then CreateGame.
BrowserOutcome CreateButton(const CreateRequest& request, BotCounter& bots);

// "join" for the game of the selected row (empty: no row selected).
// Captions 65 to 68; errors "Error connecting to game." / "Error in Join
// Game: ". On success MyPlayerNo, GameName, GameType, MyCash and GameFolder
// are set.
BrowserOutcome JoinGame(const std::string& gameId);

// Deletes the files of GameFolder and the folder. Errors: "Error cleaning
// up game files: ".
FolderStatus CleanUpGameFiles(const std::string& folder);
FolderStatus CleanUpGameFiles();

// Leaving the table: marks this client departed, then either removes the
// game (no human left) or tells the others, and ends the game when the host
// leaves. ownName is this client's name at the table.
struct LeaveOutcome {
    bool removedGame = false;
    bool endedGame = false; // the host left with others still seated
    FolderStatus status;
};
LeaveOutcome LeaveGame(const std::string& ownName);

} // namespace scrivo

#pragma once

#include <array>
#include <string>
#include <vector>

#include "gamefolder/GameSession.h"
#include "gamefolder/TableOptions.h"
#include "gamefolder/RecordFile.h"

namespace scrivo {

// The games of the server directory, and creating, joining and leaving one:
// folder work only. Each operation takes the folders and names it works on
// and returns what happened; none shows a message (apart from the
// file-problem question of OpenRecordFile) or keeps state between calls.

inline constexpr const char* GameFolderSuffix = "_tmp";
inline constexpr const char* WaitingStatusText = "Waiting for Players";
inline constexpr const char* InProgressStatusText = "In Progress";
inline constexpr const char* HostGoneStatusText = "Host Gone";

struct GameListRow {
    std::string name; // trimmed
    int players = 0;
    std::string blinds;    // "small/big", plain decimals
    std::string currency;  // the table's currency sign
    std::string structure; // the game type: "THLI", "THPL" or "THNL"
    std::string host;      // the name of player 1; empty when unreadable
    std::string status;    // WaitingStatusText, InProgressStatusText or HostGoneStatusText
    std::string id;        // the game folder's name, e.g. "123_tmp"
    HandRules rules = HandRules::Classic;
    bool protectedTable = false;

    // The list box line: the columns joined by tabs.
    std::string Line() const;
};

struct GameList {
    std::vector<GameListRow> rows; // rows[r].id is the id of row r
    int selectRow = -1;            // the row to select; -1 when there are none
    bool showNoGamesBox = false;   // ActiveLbl
    bool enableCreate = false;     // the host's own game has more than one player
    bool openTable = false;        // our game has started and we are not its host
    bool serverMissing = false;    // the server directory is not there: stop the refresh timer
};

// Lists the games of serverDirectory. selectedGameId is the id of the row
// last selected; current is the game this client sits at (an empty
// GameName: none). A game that cannot be read is left out and the others
// are listed; the status then says what went wrong with the first one. A
// server directory that cannot be listed gives no rows and its error.
FolderResult<GameList> ListGames(const std::string& serverDirectory, const std::string& selectedGameId,
                                 const GameSession& current);

// Selecting a row: the id to remember, and whether join is to be enabled
// (never in the host's client).
struct RowSelection {
    std::string selectedGameId;
    bool enableJoin = false;
};
RowSelection SelectRow(const GameList& list, int row, bool isHost);

// The contents of the create pane, as typed.
struct CreateRequest {
    std::string gameName;
    std::string startCash;
    std::string smallBlind;
    std::string bigBlind;
    std::string currency;
    std::string bots;
    int limitType = 2;   // TypeCombo: 0 limit, 1 pot limit, 2 no limit
    int turnSeconds = 0; // the time a player has for a turn; 0: no limit
    HandRules rules = HandRules::Standard;
    bool protectedTable = false;
};

// Numbers the bots seated by this program run; the browser owns one.
class BotCounter {
public:
    int Next() { return ++m_count; }
    int Count() const { return m_count; }

private:
    int m_count = 0;
};

// Creates a game folder in serverDirectory with its files and seats the
// creator; the bots are seated afterwards with AddBot. The session is the
// creator's: player 1, host, BotCount as asked.
FolderResult<GameSession> CreateGame(const std::string& serverDirectory, const CreateRequest& request,
                                     const std::string& creatorName);

// Seats one bot in the session's game, named from botNames (1..8) and never
// like its creator or anybody seated. A full table is silently skipped; NotThere when the game
// file is gone.
FolderStatus AddBot(const GameSession& session, const std::string& creatorName,
                    const std::array<std::string, 9>& botNames, BotCounter& bots);

// The first name of botNames (1..8) that differs from every name in taken;
// when all are taken, the first with a number that makes it free.
std::string FreeBotName(const std::array<std::string, 9>& botNames, const std::vector<std::string>& taken);

// Stores how many bots sit in the game (seats 2 to botCount + 1).
FolderStatus SetBotCount(const std::string& folder, int botCount);

// Joining the game gameId of serverDirectory as playerName.
enum class JoinOutcome {
    Joined,
    Rejoined,  // back in the seat of that name, whose player had gone
    Full,      // every seat is taken
    Started,   // the game is no longer waiting for players
    NameTaken, // a player of that name already sits there
    NoGame,    // the game's files are gone
    Failed,    // status says why
};
struct JoinResult {
    JoinOutcome outcome = JoinOutcome::Failed;
    FolderStatus status;
    GameSession session; // the joiner's, when Joined
};
JoinResult JoinGame(const std::string& serverDirectory, const std::string& gameId,
                    const std::string& playerName);

// Deletes the files of a game folder and the folder. A folder that is not
// there is no error.
FolderStatus CleanUpGameFiles(const std::string& folder);

// Whether anybody but the bots still sits at the session's game: the host
// and every player after the bots, unless departed. True when the seats
// cannot be read, so that the game is kept.
bool HumansRemain(const GameSession& session);

} // namespace scrivo

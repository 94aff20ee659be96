#include "gamefolder/Directory.h"

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <optional>

#include "gamefolder/HostLease.h"
#include "gamefolder/Journal.h"
#include "platform/FileOps.h"
#include "platform/Paths.h"
#include "platform/Random.h"
#include "platform/Text.h"

namespace scrivo {

namespace {

constexpr double GameIdRange = 1000000000.0;

bool EndsWith(const std::string& s, std::string_view suffix)
{
    return s.size() >= suffix.size() && s.compare(s.size() - suffix.size(), suffix.size(), suffix) == 0;
}

// Case folding of a Windows-1252 byte, so that names with accented letters
// compare the way players expect.
unsigned char FoldCp1252(unsigned char c)
{
    if (c >= 'A' && c <= 'Z') return static_cast<unsigned char>(c + 32);
    if (c >= 0xC0 && c <= 0xDE && c != 0xD7) return static_cast<unsigned char>(c + 32);
    switch (c) {
    case 0x8A:
        return 0x9A;
    case 0x8C:
        return 0x9C;
    case 0x8E:
        return 0x9E;
    case 0x9F:
        return 0xFF;
    default:
        return c;
    }
}

// Names compare as they are stored: cut to the field, blanks at both ends
// removed, without regard to case.
bool SameStoredName(const std::string& a, const std::string& b)
{
    const std::string x = Trim(EncodeText(a, PlayerNameWidth));
    const std::string y = Trim(EncodeText(b, PlayerNameWidth));
    if (x.size() != y.size()) return false;
    for (std::size_t i = 0; i < x.size(); ++i) {
        if (FoldCp1252(static_cast<unsigned char>(x[i])) != FoldCp1252(static_cast<unsigned char>(y[i])))
            return false;
    }
    return true;
}

// The value of a money box: its exact decimal text where it is one,
// otherwise the number a BASIC Val() reads from it. Nothing when the amount
// does not fit a Currency.
std::optional<Currency> MoneyOf(const std::string& text)
{
    if (auto exact = Currency::Parse(text)) return exact;
    const double value = Val(text);
    constexpr double limit = 9.2e14; // below the largest Currency, with room for sums
    if (!(value > -limit && value < limit)) return std::nullopt;
    return Currency::FromDouble(value);
}

// A seat count no client writes: joining or seating a bot would then write
// over the board or past the table.
bool IsSeatCount(int count)
{
    return count >= 1 && count <= MaxPlayers;
}

std::vector<std::string> GameFolderNames(const std::string& serverDirectory, FolderStatus& status)
{
    std::vector<std::string> names;
    if (CurrentFileOps().ListFolder(serverDirectory, names) != 0) {
        status = FolderStatus::Failure(ErrorDescription(errno));
        return {};
    }
    std::erase_if(names, [](const std::string& name) { return !EndsWith(name, GameFolderSuffix); });
    // The same order on every refresh, whatever the file system.
    std::sort(names.begin(), names.end());
    return names;
}

bool IsCurrentGame(const GameSession& current, const std::string& folder)
{
    return !current.GameName.empty() && !current.GameFolder.empty() && folder == current.GameFolder;
}

FolderStatus RemoveGameFile(const std::string& path)
{
    if (CurrentFileOps().RemoveFile(path) == 0 || errno == ENOENT) return FolderStatus::Success();
    return FolderStatus::Failure(ErrorDescription(errno));
}

FolderStatus RemoveGameFolder(const std::string& folder)
{
    // A browser listing the games at this moment can make gam.spk again
    // between the deletion and the removal of the folder: one more round.
    for (int round = 0;; ++round) {
        for (const auto& path :
             {GameFilePath(folder), PlayerFilePath(folder), MessageFilePath(folder), HostFilePath(folder),
              OptionsFilePath(folder), JournalFilePath(folder), ExchangeFilePath(folder)}) {
            if (auto s = RemoveGameFile(path); !s) return s;
        }
        if (CurrentFileOps().RemoveFolder(folder) == 0 || errno == ENOENT) return FolderStatus::Success();
        if (errno != ENOTEMPTY || round == 1) return FolderStatus::Failure(ErrorDescription(errno));
    }
}

FolderStatus WriteNewGame(const std::string& folder, const GameRecord& game, const std::string& creator)
{
    // The seats go first: a game is listed once gam.spk exists, and a joiner
    // then reads every seat it counts.
    {
        auto users = OpenRecordFile(PlayerFilePath(folder), PlayerRecordLength);
        if (!users) return users.status;
        if (auto s = users->WritePlayer(BoardPlayerNo, NewBoardRecord()); !s) return s;
        PlayerRecord host = NewSeatRecord(2, creator, game.StartCash);
        host.Card3 = host.Card4 = host.Card5 = "";
        if (auto s = users->WritePlayer(1, host); !s) return s;
    }
    auto file = OpenRecordFile(GameFilePath(folder), GameRecordLength);
    if (!file) return file.status;
    return file->WriteGame(game);
}

// The seat transaction of a join: the game record stays held from the checks
// until the new count is written, so two joiners never take the same seat.
// Sets outcome to Joined (with the game record as written) or to the reason
// the seat was refused; a failed file operation comes back as the status.
FolderStatus TakeSeat(const std::string& folder, const std::string& playerName, JoinOutcome& outcome,
                      GameRecord& joined)
{
    auto file = OpenRecordFile(GameFilePath(folder), GameRecordLength);
    if (!file) return file.status;
    auto game = file->ReadGame();
    if (!game) return game.status;
    if (game->Status != GameStatus::Waiting && IsSeatCount(game->PlayerCount)) {
        // A player whose program ended may come back to his seat, with its
        // cash, while nobody claims it; a seat still claimed is somebody's.
        auto users = OpenRecordFile(PlayerFilePath(folder), PlayerRecordLength);
        if (!users) return users.status;
        for (int p = 1; p <= game->PlayerCount; ++p) {
            if (p >= 2 && p <= game->BotCount + 1) continue;
            auto seat = users->ReadPlayer(p);
            if (!seat || !SameStoredName(seat->Name, playerName)) continue;
            const std::string action = Trim(seat->Action);
            if (action == "D" || action == "O" || SeatClaimed(folder, p)) {
                outcome = JoinOutcome::NameTaken;
                return FolderStatus::Success();
            }
            joined = *game;
            joined.PlayerCount = static_cast<std::int16_t>(p);
            outcome = JoinOutcome::Rejoined;
            return FolderStatus::Success();
        }
    }
    if (game->PlayerCount >= MaxPlayers) {
        outcome = JoinOutcome::Full;
        return FolderStatus::Success();
    }
    if (game->Status != GameStatus::Waiting) {
        outcome = JoinOutcome::Started;
        return FolderStatus::Success();
    }
    if (!IsSeatCount(game->PlayerCount)) return FolderStatus::Failure("The game record is damaged");

    auto users = OpenRecordFile(PlayerFilePath(folder), PlayerRecordLength);
    if (!users) return users.status;
    PlayerRecord last;
    for (int p = BoardPlayerNo; p <= game->PlayerCount; ++p) {
        auto seat = users->ReadPlayer(p);
        if (!seat) {
            if (seat.status.error == FolderError::NotThere) continue;
            return seat.status;
        }
        if (SameStoredName(seat->Name, playerName)) {
            outcome = JoinOutcome::NameTaken;
            return FolderStatus::Success();
        }
        last = *seat;
    }

    const int myNo = game->PlayerCount + 1;
    // Bet and cards 3 to 5 carry over from the last seat read, as every
    // client has always written them.
    PlayerRecord mine = last;
    mine.PlayerNo = static_cast<std::int16_t>(myNo);
    mine.Name = playerName;
    mine.Cash = game->StartCash;
    mine.Action = "-";
    mine.Blind = "";
    mine.Card1 = mine.Card2 = "";
    if (auto s = users->WritePlayer(myNo, mine); !s) return s;
    users->Close();

    game->PlayerCount = static_cast<std::int16_t>(myNo);
    if (auto s = file->WriteGame(*game); !s) return s;
    joined = *game;
    outcome = JoinOutcome::Joined;
    return FolderStatus::Success();
}

} // namespace

std::string GameListRow::Line() const
{
    return name + '\t' + std::to_string(players) + '\t' + blinds + '\t' + status;
}

FolderResult<GameList> ListGames(const std::string& serverDirectory, const std::string& selectedGameId,
                                 const GameSession& current)
{
    GameList list;
    if (!FolderExists(serverDirectory)) {
        list.serverMissing = true;
        list.showNoGamesBox = true;
        return list;
    }

    FolderStatus status;
    int remembered = -1;
    for (const std::string& id : GameFolderNames(serverDirectory, status)) {
        const std::string folder = JoinPath(serverDirectory, id);
        // A link planted in the server directory is never a game.
        if (!IsRealDirectory(folder) || !FolderExists(GameFilePath(folder))) continue;
        auto game = ReadGameRecord(folder);
        if (!game) {
            // A game still being written is not listed yet. One that cannot
            // be read is left out too, so that it hides no other game; the
            // first such failure is the list's status.
            if (game.status.error != FolderError::NotThere && status.Ok()) status = game.status;
            continue;
        }
        // "??" is what a status of letters the code page lacks was stored as.
        const GameStatus status = game->Status;
        if (status == GameStatus::Ended || status == GameStatus::FromText("??")) continue;

        GameListRow row;
        row.name = Trim(game->GameName);
        row.players = game->PlayerCount;
        row.blinds = game->SmallBlind.ToString() + "/" + game->BigBlind.ToString();
        row.currency = Trim(game->CurrencySymbol);
        row.structure = Trim(game->GameType);
        if (auto file = OpenRecordFile(PlayerFilePath(folder), PlayerRecordLength)) {
            if (auto host = file->ReadPlayer(1)) row.host = Trim(host->Name);
        }
        row.status = status == GameStatus::Waiting ? WaitingStatusText : InProgressStatusText;
        const LeaseLook lease = LookAtLease(folder);
        if (lease.opened && !lease.claimed && !lease.busy) row.status = HostGoneStatusText;
        row.id = id;
        const TableOptions options = ReadTableOptions(folder);
        row.rules = options.rules;
        row.protectedTable = options.protectedTable;
        if (id == selectedGameId) remembered = static_cast<int>(list.rows.size());
        list.rows.push_back(row);

        if (IsCurrentGame(current, folder)) {
            if (current.IsHost && game->PlayerCount > 1) list.enableCreate = true;
            if (status != GameStatus::Waiting && !current.IsHost) list.openTable = true;
        }
    }

    if (!list.rows.empty()) {
        list.selectRow = remembered >= 0 ? remembered : 0;
    } else {
        list.showNoGamesBox = true;
    }
    FolderResult<GameList> result(std::move(list));
    result.status = status;
    return result;
}

RowSelection SelectRow(const GameList& list, int row, bool isHost)
{
    RowSelection selection;
    if (row < 0 || row >= static_cast<int>(list.rows.size())) return selection;
    selection.selectedGameId = list.rows[static_cast<std::size_t>(row)].id;
    selection.enableJoin = !isHost;
    return selection;
}

FolderResult<GameSession> CreateGame(const std::string& serverDirectory, const CreateRequest& request,
                                     const std::string& creatorName)
{
    GameRecord game;
    game.PlayerCount = 1;
    const long long botCount = std::clamp<long long>(RoundHalfEven(Val(request.bots)), 0, MaxBots);
    game.BotCount = static_cast<std::int16_t>(botCount);
    game.Status = GameStatus::Waiting;
    game.GameName = request.gameName;
    game.GameType = request.limitType == 0 ? "THLI" : request.limitType == 1 ? "THPL" : "THNL";
    const auto startCash = MoneyOf(request.startCash);
    const auto smallBlind = MoneyOf(request.smallBlind);
    const auto bigBlind = MoneyOf(request.bigBlind);
    if (!startCash || !smallBlind || !bigBlind) return FolderStatus::Failure("Overflow");
    game.StartCash = *startCash;
    game.SmallBlind = *smallBlind;
    game.BigBlind = *bigBlind;
    game.CurrencySymbol = request.currency; // stored as its first character

    // A new random id until the folder can be made; mkdir itself decides,
    // so two creators never share a folder. A folder that says every name
    // exists is not searched for ever.
    ProgramRandom().Randomize();
    std::string folder;
    for (int tries = 0;; ++tries) {
        if (tries == 100) return FolderStatus::Failure(ErrorDescription(EEXIST));
        const auto id = static_cast<long long>(std::floor(ProgramRandom().Next() * GameIdRange));
        folder = JoinPath(serverDirectory, std::to_string(id) + GameFolderSuffix);
        if (FolderExists(folder)) continue;
        if (MakeSharedFolder(CurrentFileOps(), folder) == 0) break;
        if (errno != EEXIST) return FolderStatus::Failure(ErrorDescription(errno));
    }
    if (!WriteTableOptions(folder, TableOptions{request.rules, request.protectedTable})) {
        const FolderStatus failed = FolderStatus::Failure(ErrorDescription(errno));
        RemoveGameFolder(folder);
        return failed;
    }
    if (auto s = WriteNewGame(folder, game, creatorName); !s) {
        RemoveGameFolder(folder); // nothing half-made stays behind
        return s;
    }

    GameSession session;
    session.GameName = request.gameName;
    session.GameType = game.GameType;
    session.BotCount = static_cast<int>(botCount);
    session.GameFolder = folder;
    session.IsHost = true;
    session.MyPlayerNo = 1;
    session.MyCash = game.StartCash;
    session.TurnSeconds = std::max(0, request.turnSeconds);
    session.Rules = request.rules;
    session.Protected = request.protectedTable;
    return session;
}

FolderStatus AddBot(const GameSession& session, const std::string& creatorName,
                    const std::array<std::string, 9>& botNames, BotCounter& bots)
{
    bots.Next();
    if (!FolderExists(GameFilePath(session.GameFolder))) return FolderStatus::NotThere("Error adding bots");
    auto file = OpenRecordFile(GameFilePath(session.GameFolder), GameRecordLength);
    if (!file) return file.status;
    auto game = file->ReadGame();
    if (!game) return game.status;
    if (game->PlayerCount >= MaxPlayers) return FolderStatus::Success();
    if (!IsSeatCount(game->PlayerCount)) return FolderStatus::Failure("The game record is damaged");
    const int seat = game->PlayerCount + 1;
    {
        // The seat is written while the game record is still held and
        // before the count, so nobody counts a seat without its record.
        auto users = OpenRecordFile(PlayerFilePath(session.GameFolder), PlayerRecordLength);
        if (!users) return users.status;
        std::vector<std::string> taken{creatorName};
        for (int p = 1; p < seat; ++p) {
            auto r = users->ReadPlayer(p);
            if (!r) return r.status;
            taken.push_back(r->Name);
        }
        const std::string name = FreeBotName(botNames, taken);
        if (auto s = users->WritePlayer(seat, NewSeatRecord(session.MyPlayerNo, name, game->StartCash)); !s)
            return s;
    }
    game->PlayerCount = static_cast<std::int16_t>(seat);
    return file->WriteGame(*game);
}

std::string FreeBotName(const std::array<std::string, 9>& botNames, const std::vector<std::string>& taken)
{
    // A bot named like anybody seated makes every log line about either of
    // them ambiguous, and a name is how players tell seats apart.
    auto isFree = [&](const std::string& name) {
        if (Trim(name).empty()) return false;
        return std::none_of(taken.begin(), taken.end(),
                            [&](const std::string& t) { return SameStoredName(t, name); });
    };
    for (std::size_t i = 1; i < botNames.size(); ++i)
        if (isFree(botNames[i])) return botNames[i];
    // Every name of the list is taken: number the first one.
    const std::string base = Trim(botNames[1]).empty() ? std::string("Bot") : Trim(botNames[1]);
    for (int k = 2;; ++k) {
        const std::string name = base + " " + std::to_string(k);
        if (isFree(name)) return name;
    }
}

FolderStatus SetBotCount(const std::string& folder, int botCount)
{
    auto file = OpenRecordFile(GameFilePath(folder), GameRecordLength);
    if (!file) return file.status;
    auto game = file->ReadGame();
    if (!game) return game.status;
    game->BotCount = static_cast<std::int16_t>(botCount);
    return file->WriteGame(*game);
}

JoinResult JoinGame(const std::string& serverDirectory, const std::string& gameId,
                    const std::string& playerName)
{
    JoinResult result;
    const std::string folder = JoinPath(serverDirectory, gameId);
    if (gameId.empty() || !IsRealDirectory(folder) || !FolderExists(GameFilePath(folder))) {
        result.outcome = JoinOutcome::NoGame;
        result.status = FolderStatus::NotThere("Error connecting to game.");
        return result;
    }

    GameRecord joined;
    result.status = TakeSeat(folder, playerName, result.outcome, joined);
    if (!result.status.Ok()) {
        result.outcome = JoinOutcome::Failed;
        return result;
    }
    if (result.outcome != JoinOutcome::Joined && result.outcome != JoinOutcome::Rejoined) return result;
    result.session.Rejoined = result.outcome == JoinOutcome::Rejoined;

    result.session.MyPlayerNo = joined.PlayerCount;
    result.session.GameName = Trim(joined.GameName);
    result.session.GameType = joined.GameType;
    result.session.MyCash = joined.StartCash;
    result.session.GameFolder = folder;
    result.session.IsHost = false;
    const TableOptions options = ReadTableOptions(folder);
    result.session.Rules = options.rules;
    result.session.Protected = options.protectedTable;
    return result;
}

FolderStatus CleanUpGameFiles(const std::string& folder)
{
    if (folder.empty() || !FolderExists(folder)) return FolderStatus::Success();
    // A game folder replaced by a link is left alone: removing through it
    // would delete files of whatever it points to.
    if (!IsRealDirectory(folder)) return FolderStatus::Failure("The game folder is not a folder of its own");
    return RemoveGameFolder(folder);
}

bool HumansRemain(const GameSession& session)
{
    auto game = ReadGameRecord(session.GameFolder);
    if (!game || !IsSeatCount(game->PlayerCount)) return true;
    auto users = OpenRecordFile(PlayerFilePath(session.GameFolder), PlayerRecordLength);
    if (!users) return true;
    const int botCount = game->BotCount;
    // A host whose process ended never wrote that it left: neither the one
    // whose lease lapsed during the game nor those whose tables were taken
    // over (unless back in their seats). The host that saw the game to its
    // end keeps its seat (and the game) as a host still there would.
    // Anything unreadable keeps the game.
    const LeaseLook lease = LookAtLease(session.GameFolder);
    unsigned gone = lease.record ? lease.record->gone : 0u;
    if (game->Status != GameStatus::Ended && lease.opened && !lease.claimed && !lease.busy)
        gone |= 1u << (lease.record ? lease.record->host : 1);
    bool remain = false;
    for (int p = 1; p <= game->PlayerCount; ++p) {
        if (p >= 2 && p <= botCount + 1) continue;
        if ((gone >> p & 1u) && !SeatClaimed(session.GameFolder, p)) continue;
        auto seat = users->ReadPlayer(p);
        if (!seat) return true;
        if (Trim(seat->Action) != "D") remain = true;
    }
    return remain;
}

} // namespace scrivo

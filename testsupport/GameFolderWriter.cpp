#include "testsupport/GameFolderWriter.h"

#include <cstdint>

#include "gamefolder/Records.h"

namespace scrivo::test {

FolderStatus WriteGameRecords(const std::string& folder, const GameSetup& setup)
{
    GameRecord g;
    g.PlayerCount = static_cast<std::int16_t>(setup.names.size());
    g.BotCount = static_cast<std::int16_t>(setup.bots);
    g.Status = GameStatus::Waiting;
    g.GameName = setup.gameName;
    g.GameType = setup.type;
    g.StartCash = setup.startCash;
    g.SmallBlind = setup.smallBlind;
    g.BigBlind = setup.bigBlind;
    g.CurrencySymbol = "$";
    {
        FolderResult<RecordFile> game = OpenRecordFile(GameFilePath(folder), GameRecordLength);
        if (!game) return game.status;
        if (FolderStatus written = game->WriteGame(g); !written) return written;
    }
    FolderResult<RecordFile> seats = OpenRecordFile(PlayerFilePath(folder), PlayerRecordLength);
    if (!seats) return seats.status;
    if (FolderStatus written = seats->WritePlayer(BoardPlayerNo, NewBoardRecord()); !written) return written;
    for (std::size_t i = 0; i < setup.names.size(); ++i) {
        const int playerNo = static_cast<int>(i) + 1;
        const Currency cash = i < setup.cash.size() ? setup.cash[i] : setup.startCash;
        FolderStatus written = seats->WritePlayer(playerNo, NewSeatRecord(playerNo, setup.names[i], cash));
        if (!written) return written;
    }
    return FolderStatus::Success();
}

} // namespace scrivo::test

#include "testsupport/EngineFixtures.h"

#include <stdexcept>

#include "gamefolder/CurrentGame.h"
#include "gamefolder/RecordFile.h"
#include "settings/Language.h"

namespace scrivo::test {

namespace {

RecordFile Open(const std::string& path, int length)
{
    FolderResult<RecordFile> file = OpenRecordFile(path, length);
    if (!file) throw std::runtime_error("cannot open " + path + ": " + file.status.description);
    return std::move(file.value);
}

void Check(const FolderStatus& status)
{
    if (!status) throw std::runtime_error(status.description);
}

} // namespace

void WriteGameFolder(const std::string& folder, const GameSetup& setup)
{
    GameRecord g;
    g.PlayerCount = static_cast<std::int16_t>(setup.names.size());
    g.BotCount = static_cast<std::int16_t>(setup.bots);
    g.Status = setup.status;
    g.GameName = "Test table";
    g.GameType = setup.type;
    g.StartCash = setup.startCash;
    g.SmallBlind = setup.smallBlind;
    g.BigBlind = setup.bigBlind;
    g.CurrencySymbol = setup.currencySymbol;
    {
        RecordFile file = Open(GameFilePath(folder), GameRecordLength);
        Check(file.WriteGame(g));
    }
    RecordFile file = Open(PlayerFilePath(folder), PlayerRecordLength);
    Check(file.WritePlayer(BoardPlayerNo, NewBoardRecord()));
    for (std::size_t i = 0; i < setup.names.size(); ++i) {
        const Currency cash = i < setup.cash.size() ? setup.cash[i] : setup.startCash;
        PlayerRecord r = NewSeatRecord(static_cast<int>(i) + 1, setup.names[i], cash);
        Check(file.WritePlayer(static_cast<int>(i) + 1, r));
    }
}

void UseNumberedLanguage()
{
    for (std::size_t n = 0; n < LangText.size(); ++n) LangText[n] = "[" + std::to_string(n) + "]%|$|*";
    for (std::size_t n = 0; n < AppText.size(); ++n) AppText[n] = "{" + std::to_string(n) + "}";
    BotChat.assign(1, std::string());
}

std::string Numbered(int n, const std::string& a1, const std::string& a2, const std::string& a3)
{
    return "[" + std::to_string(n) + "]" + (a1.empty() ? "%" : a1) + "|" + (a2.empty() ? "$" : a2) + "|" +
           (a3.empty() ? "*" : a3);
}

GameRecord ReadGameFile(const std::string& folder)
{
    RecordFile file = Open(GameFilePath(folder), GameRecordLength);
    FolderResult<GameRecord> g = file.ReadGame();
    if (!g) throw std::runtime_error(g.status.description);
    return *g;
}

PlayerRecord ReadSeat(const std::string& folder, int playerNo)
{
    RecordFile file = Open(PlayerFilePath(folder), PlayerRecordLength);
    FolderResult<PlayerRecord> r = file.ReadPlayer(playerNo);
    if (!r) throw std::runtime_error(r.status.description);
    return *r;
}

void WriteSeat(const std::string& folder, int playerNo, const PlayerRecord& record)
{
    RecordFile file = Open(PlayerFilePath(folder), PlayerRecordLength);
    Check(file.WritePlayer(playerNo, record));
}

void SetAction(const std::string& folder, int playerNo, const std::string& action)
{
    PlayerRecord r = ReadSeat(folder, playerNo);
    r.Action = action;
    WriteSeat(folder, playerNo, r);
}

void SetStatus(const std::string& folder, const std::string& status)
{
    RecordFile file = Open(GameFilePath(folder), GameRecordLength);
    FolderResult<GameRecord> g = file.ReadGame();
    if (!g) throw std::runtime_error(g.status.description);
    g->Status = status;
    Check(file.WriteGame(*g));
}

std::vector<std::string> ReadAllMessages(const std::string& folder)
{
    FolderResult<MessageBatch> batch = ReadMessagesSince(folder, 0);
    if (!batch) throw std::runtime_error(batch.status.description);
    return batch->lines;
}

void SitAt(const std::string& folder, int playerNo, const std::string& gameType, int bots)
{
    GameFolder = folder;
    MyPlayerNo = playerNo;
    IsHost = playerNo == 1;
    GameType = gameType;
    BotCount = bots;
    GameName = "Test table";
}

} // namespace scrivo::test

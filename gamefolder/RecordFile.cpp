#include "gamefolder/RecordFile.h"

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <optional>

#include "platform/Clock.h"
#include "platform/LockBackoff.h"
#include "platform/Paths.h"
#include "platform/Text.h"

namespace scrivo {

namespace {

std::string RecordNotThere(const std::string& path, std::int64_t n)
{
    return "Record " + std::to_string(n) + " of " + path + " is not there";
}

} // namespace

RecordFile::RecordFile(LockedFile file, int recordLength)
    : m_file(std::move(file)), m_recordLength(recordLength)
{
}

FolderStatus RecordFile::IoFailure()
{
    if (!m_file.IsOpen()) return FolderStatus::Failure("Bad file name or number");
    return FolderStatus::Failure(m_file.ErrorText(), m_file.Error());
}

FolderResult<std::int64_t> RecordFile::RecordCount()
{
    if (!IsOpen() || m_recordLength <= 0) return IoFailure();
    const std::int64_t size = m_file.Size();
    if (size < 0) return IoFailure();
    // A tail shorter than a record is an append cut short: not a record.
    return size / m_recordLength;
}

FolderResult<FileStat> RecordFile::Stat()
{
    FileStat st;
    if (!IsOpen() || !m_file.Stat(st)) return IoFailure();
    return st;
}

FolderResult<std::int64_t> RecordFile::ByteSize()
{
    if (!IsOpen()) return IoFailure();
    const std::int64_t size = m_file.Size();
    if (size < 0) return IoFailure();
    return size;
}

FolderResult<std::string> RecordFile::ReadRecord(std::int64_t n)
{
    if (!IsOpen() || m_recordLength <= 0) return IoFailure();
    if (n < 1) return FolderStatus::NotThere(RecordNotThere(Path(), n));
    std::string bytes(static_cast<std::size_t>(m_recordLength), '\0');
    const long long got = m_file.ReadAt((n - 1) * m_recordLength, bytes.data(), bytes.size());
    if (got < 0) return IoFailure();
    if (got < m_recordLength) return FolderStatus::NotThere(RecordNotThere(Path(), n));
    return bytes;
}

FolderResult<std::string> RecordFile::ReadRecords(std::int64_t n, std::int64_t count)
{
    if (!IsOpen() || m_recordLength <= 0) return IoFailure();
    if (n < 1 || count < 0) return FolderStatus::NotThere(RecordNotThere(Path(), n));
    std::string bytes(static_cast<std::size_t>(count * m_recordLength), '\0');
    const long long got = m_file.ReadAt((n - 1) * m_recordLength, bytes.data(), bytes.size());
    if (got < 0) return IoFailure();
    bytes.resize(static_cast<std::size_t>(got / m_recordLength * m_recordLength));
    return bytes;
}

FolderResult<std::int64_t> RecordFile::NextDataRecord(std::int64_t n)
{
    auto count = RecordCount();
    if (!count) return count.status;
    if (n < 1) n = 1;
    if (n > *count) return *count + 1;
    const std::int64_t at = m_file.NextData((n - 1) * m_recordLength);
    if (at < 0) return IoFailure();
    return std::min(*count + 1, std::max(n, at / m_recordLength + 1));
}

FolderStatus RecordFile::WriteRecord(std::int64_t n, std::string_view bytes)
{
    if (!IsOpen() || m_recordLength <= 0) return IoFailure();
    if (n < 1) return FolderStatus::Failure("Bad record number");
    std::string record(bytes.substr(0, static_cast<std::size_t>(m_recordLength)));
    record.resize(static_cast<std::size_t>(m_recordLength), '\0');
    if (!m_file.WriteAt((n - 1) * m_recordLength, record.data(), record.size())) return IoFailure();
    return FolderStatus::Success();
}

FolderResult<std::int64_t> RecordFile::AppendRecord(std::string_view bytes)
{
    auto count = RecordCount();
    if (!count) return count.status;
    const std::int64_t n = *count + 1;
    if (auto s = WriteRecord(n, bytes); !s) return s;
    return n;
}

FolderStatus RecordFile::AppendRecords(std::string_view bytes)
{
    auto count = RecordCount();
    if (!count) return count.status;
    if (m_recordLength <= 0 || bytes.size() % static_cast<std::size_t>(m_recordLength) != 0)
        return FolderStatus::Failure("Bad record length");
    if (!m_file.WriteAt(*count * m_recordLength, bytes.data(), bytes.size())) return IoFailure();
    return FolderStatus::Success();
}

FolderResult<std::string> RecordFile::ReadBytes(std::int64_t offset, std::size_t size)
{
    if (!IsOpen() || offset < 0) return IoFailure();
    std::string bytes(size, '\0');
    const long long got = m_file.ReadAt(offset, bytes.data(), bytes.size());
    if (got < 0) return IoFailure();
    bytes.resize(static_cast<std::size_t>(got));
    return bytes;
}

FolderResult<GameRecord> RecordFile::ReadGame()
{
    auto bytes = ReadRecord(1);
    if (!bytes) return bytes.status;
    return DecodeGameRecord(*bytes);
}

FolderStatus RecordFile::WriteGame(const GameRecord& record)
{
    return WriteRecord(1, EncodeGameRecord(record));
}

FolderResult<PlayerRecord> RecordFile::ReadPlayer(int playerNo)
{
    auto bytes = ReadRecord(playerNo + 1);
    if (!bytes) return bytes.status;
    return DecodePlayerRecord(*bytes);
}

FolderStatus RecordFile::WritePlayer(int playerNo, const PlayerRecord& record)
{
    return WriteRecord(playerNo + 1, EncodePlayerRecord(record));
}

FolderResult<std::int64_t> RecordFile::AppendMessage(std::string_view line)
{
    return AppendRecord(EncodeMessageRecord(MessageRecord{std::string(line)}));
}

FolderResult<std::string> RecordFile::ReadMessage(std::int64_t n)
{
    auto bytes = ReadRecord(n);
    if (!bytes) return bytes.status;
    return DecodeMessageRecord(*bytes).Text;
}

FolderResult<RecordFile> OpenRecordFile(const std::string& path, int recordLength)
{
    // A bare file name means no game folder was set: never make record files
    // in whatever the working folder happens to be.
    if (path.find(PathSeparator) == std::string::npos) return FolderStatus::Failure("No game folder");
    std::optional<LockBackoff> backoff; // seeded only when a file is found held
    Clock::TimePoint heldSince{};
    for (;;) {
        LockedFile file;
        switch (file.TryOpen(path)) {
        case LockedFile::OpenStatus::Ok:
            return RecordFile(std::move(file), recordLength);
        case LockedFile::OpenStatus::Held:
            // Another client is in the middle of its short sequence: try again
            // soon, without asking. A file held far longer than any sequence
            // (a stopped program, or two programs each waiting for a file the
            // other holds) is given up as a passing outage, so that the caller
            // lets go of what it holds and tries again on its next poll.
            if (!backoff) {
                backoff.emplace(LockBackoff::FreshSeed());
                heldSince = ProgramClock().Now();
            }
            if (ProgramClock().Now() - heldSince >= HeldFileLimit)
                return FolderStatus::Failure(
                    FileProblemPrefix + path + ": held by another program for too long", ETIMEDOUT);
            ProgramClock().WaitForLock(path, backoff->Next());
            break;
        case LockedFile::OpenStatus::Failed:
            // Whether to try again is the caller's to decide (a table tries
            // on its next poll), and only a window may ask the player.
            {
                // The message names the file, so that the player knows where to look.
                const std::string why = file.ErrorText();
                return FolderStatus::Failure(
                    FileProblemPrefix + (why.find(path) == std::string::npos ? path + ": " + why : why),
                    file.Error());
            }
        }
    }
}

std::string GameFilePath(const std::string& folder)
{
    return JoinPath(folder, GameFileName);
}
std::string HostFilePath(const std::string& folder)
{
    return JoinPath(folder, HostFileName);
}
std::string PlayerFilePath(const std::string& folder)
{
    return JoinPath(folder, PlayerFileName);
}
std::string MessageFilePath(const std::string& folder)
{
    return JoinPath(folder, MessageFileName);
}

std::string ExchangeFilePath(const std::string& folder)
{
    return JoinPath(folder, ExchangeFileName);
}

FolderResult<GameRecord> ReadGameRecord(const std::string& folder)
{
    auto file = OpenRecordFile(GameFilePath(folder), GameRecordLength);
    if (!file) return file.status;
    return file->ReadGame();
}

FolderStatus WriteGameRecord(const std::string& folder, GameStatus status, bool resetLastRaise)
{
    auto file = OpenRecordFile(GameFilePath(folder), GameRecordLength);
    if (!file) return file.status;
    auto game = file->ReadGame();
    if (!game) return game.status;
    game->Status = status;
    if (resetLastRaise) game->LastRaise = Currency();
    return file->WriteGame(*game);
}

FolderResult<std::string> ReadPlayerRecord(const std::string& folder, int playerNo)
{
    auto file = OpenRecordFile(PlayerFilePath(folder), PlayerRecordLength);
    if (!file) return file.status;
    auto player = file->ReadPlayer(playerNo);
    if (!player) return player.status;
    return Trim(player->Action);
}

FolderStatus WritePlayerRecord(const std::string& folder, const std::string& action, int playerNo)
{
    auto file = OpenRecordFile(PlayerFilePath(folder), PlayerRecordLength);
    if (!file) return file.status;
    // Never make a seat that nobody took: the record must be there.
    auto player = file->ReadPlayer(playerNo);
    if (!player) return player.status;
    player->Action = action;
    return file->WritePlayer(playerNo, *player);
}

FolderStatus SendPlayerMessage(const std::string& folder, const std::string& line)
{
    return AppendPlayerMessage(folder, line).status;
}

FolderResult<std::int64_t> AppendPlayerMessage(const std::string& folder, const std::string& line)
{
    auto file = OpenRecordFile(MessageFilePath(folder), MessageRecordLength);
    if (!file) return file.status;
    return file->AppendMessage(line);
}

std::string StoredMessageText(const std::string& line)
{
    return Trim(DecodeMessageRecord(EncodeMessageRecord(MessageRecord{line})).Text);
}

FolderResult<MessageBatch> ReadMessagesSince(const std::string& folder, std::int64_t lastRecord)
{
    auto file = OpenRecordFile(MessageFilePath(folder), MessageRecordLength);
    if (!file) return file.status;
    return ReadMessagesSince(*file, lastRecord);
}

FolderResult<MessageBatch> ReadMessagesSince(RecordFile& file, std::int64_t lastRecord)
{
    auto count = file.RecordCount();
    if (!count) return count.status;
    MessageBatch batch;
    batch.lastRecord = lastRecord < 0 ? 0 : lastRecord;
    if (batch.lastRecord > *count) {
        batch.lastRecord = 0;
        batch.restarted = true;
    }
    // At most this many records are read per call, so that one read never
    // holds up the tick for long (the rest follows next time), in blocks of
    // one read each. Holes cost nothing.
    constexpr std::int64_t slice = 65536;
    constexpr std::int64_t block = 256;
    const int length = file.RecordLength();
    std::int64_t budget = slice;
    bool blankRun = true; // look for a hole before the first block
    while (batch.lastRecord < *count && budget > 0) {
        std::int64_t n = batch.lastRecord + 1;
        if (blankRun) {
            auto next = file.NextDataRecord(n);
            if (!next) return next.status;
            batch.lastRecord = *next - 1;
            n = *next;
            if (n > *count) break;
        }
        auto bytes = file.ReadRecords(n, std::min({block, budget, *count - n + 1}));
        if (!bytes) return bytes.status;
        const auto got = static_cast<std::int64_t>(bytes->size()) / length;
        if (got == 0) break; // cut short meanwhile
        budget -= got;
        blankRun = true;
        for (std::int64_t i = 0; i < got; ++i) {
            const std::string_view record(bytes->data() + i * length, static_cast<std::size_t>(length));
            if (record.find_first_not_of('\0') == std::string_view::npos) continue;
            std::string text = Trim(DecodeMessageRecord(record).Text);
            if (text.empty()) continue;
            blankRun = false;
            batch.lines.push_back(std::move(text));
            batch.records.push_back(n + i);
        }
        batch.lastRecord = n + got - 1;
    }
    return batch;
}

} // namespace scrivo

#pragma once

#include <chrono>
#include <cstdint>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "gamefolder/Records.h"
#include "platform/LockedFile.h"

namespace scrivo {

// What went wrong in a game-folder operation.
enum class FolderError {
    None,
    Cancelled, // a caller gave up on the operation; the folder work never does
    NotThere,  // the record (or file, or folder) asked for does not exist
    Failed,    // any other error; the message says which
};

struct FolderStatus {
    FolderError error = FolderError::None;
    std::string description;
    // A failed file call that says nothing about the records: the share is
    // away, full or read-only for now (see IsOutageError).
    bool outage = false;

    bool Ok() const { return error == FolderError::None; }
    explicit operator bool() const { return Ok(); }
    static FolderStatus Success() { return {}; }
    static FolderStatus Cancelled() { return {FolderError::Cancelled, "Cancelled"}; }
    static FolderStatus NotThere(std::string what) { return {FolderError::NotThere, std::move(what)}; }
    static FolderStatus Failure(std::string what) { return {FolderError::Failed, std::move(what)}; }
    static FolderStatus Failure(std::string what, int systemError)
    {
        return {FolderError::Failed, std::move(what), IsOutageError(systemError)};
    }
};

template <typename T> struct FolderResult {
    T value{};
    FolderStatus status;

    FolderResult() = default;
    FolderResult(T v) : value(std::move(v)) {}
    FolderResult(FolderStatus s) : status(std::move(s)) {}

    bool Ok() const { return status.Ok(); }
    explicit operator bool() const { return Ok(); }
    T& operator*() { return value; }
    const T& operator*() const { return value; }
    T* operator->() { return &value; }
    const T* operator->() const { return &value; }
};

// One open of a record file: the whole file is locked until Close() or the
// end of the object, so every read-modify-write inside it is safe against
// other clients. Hold it only for one short sequence. Records count from 1;
// only whole records count, a shorter tail (an append cut short elsewhere)
// is not there yet.
class RecordFile {
public:
    RecordFile() = default;
    RecordFile(LockedFile file, int recordLength);
    RecordFile(RecordFile&&) noexcept = default;
    RecordFile& operator=(RecordFile&&) noexcept = default;

    bool IsOpen() const { return m_file.IsOpen(); }
    int RecordLength() const { return m_recordLength; }
    const std::string& Path() const { return m_file.Path(); }
    void Close() { m_file.Close(); }

    // Attributes taken under the lock at the open, and fresh ones.
    const FileStat& OpenedStat() const { return m_file.OpenedStat(); }
    FolderResult<FileStat> Stat();
    FolderResult<std::int64_t> RecordCount();
    // The file's length in bytes, a torn tail included.
    FolderResult<std::int64_t> ByteSize();
    // The raw bytes of record n; NotThere unless it is whole in the file.
    FolderResult<std::string> ReadRecord(std::int64_t n);
    // The raw bytes of up to count records from record n, whole records only
    // (fewer at the end of the file).
    FolderResult<std::string> ReadRecords(std::int64_t n, std::int64_t count);
    // The first record at or after n that may hold data: the records of a
    // hole in a sparse file were never written. RecordCount() + 1 when none.
    FolderResult<std::int64_t> NextDataRecord(std::int64_t n);
    // Writes record n (bytes cut or zero-padded to the record length).
    FolderStatus WriteRecord(std::int64_t n, std::string_view bytes);
    // Writes after the last whole record; gives the new record's number.
    FolderResult<std::int64_t> AppendRecord(std::string_view bytes);
    // Whole records in one write after the last whole record.
    FolderStatus AppendRecords(std::string_view bytes);
    // Up to size bytes from offset (fewer at the end of the file).
    FolderResult<std::string> ReadBytes(std::int64_t offset, std::size_t size);

    // Typed access. gam.spk: record 1. usr.spk: player n at record n + 1,
    // the board at BoardPlayerNo. msg.spk: lines.
    FolderResult<GameRecord> ReadGame();
    FolderStatus WriteGame(const GameRecord& record);
    FolderResult<PlayerRecord> ReadPlayer(int playerNo);
    FolderStatus WritePlayer(int playerNo, const PlayerRecord& record);
    FolderResult<std::int64_t> AppendMessage(std::string_view line);
    FolderResult<std::string> ReadMessage(std::int64_t n);

private:
    FolderStatus IoFailure();
    LockedFile m_file;
    int m_recordLength = 0;
};

// Opens and locks a record file (created when missing). A file held by
// another client is tried again after short random waits on the program
// clock (see LockBackoff), without asking, for up to HeldFileLimit; then,
// and on any other failure, a refused link or special file included, it
// comes back as FolderError::Failed with FileProblemPrefix before the
// reason (a file held too long as an outage).
inline constexpr const char* FileProblemPrefix = "File/Connection problem - ";
inline constexpr std::chrono::seconds HeldFileLimit{15};
FolderResult<RecordFile> OpenRecordFile(const std::string& path, int recordLength);

// Paths of the three files of a game folder.
std::string GameFilePath(const std::string& folder);
std::string HostFilePath(const std::string& folder);
std::string PlayerFilePath(const std::string& folder);
std::string MessageFilePath(const std::string& folder);
std::string ExchangeFilePath(const std::string& folder);

// The small operations of the table, each on the game folder it is given.
// They show nothing: each returns what went wrong and the caller reports
// it with its own prefix; the file is always closed first.

FolderResult<GameRecord> ReadGameRecord(const std::string& folder);

// Sets Status (and zeroes LastRaise when asked) in one read-modify-write.
FolderStatus WriteGameRecord(const std::string& folder, GameStatus status, bool resetLastRaise);

// The player's Action, trimmed; empty with the error on failure.
FolderResult<std::string> ReadPlayerRecord(const std::string& folder, int playerNo);

FolderStatus WritePlayerRecord(const std::string& folder, const std::string& action, int playerNo);

FolderStatus SendPlayerMessage(const std::string& folder, const std::string& line);
// The same, giving the record number the line was stored at.
FolderResult<std::int64_t> AppendPlayerMessage(const std::string& folder, const std::string& line);
// A line as a reader of msg.spk gets it back.
std::string StoredMessageText(const std::string& line);

// The message lines added after record lastRecord, unscrambled and trimmed,
// in record order; lastRecord becomes the number of the last record looked
// at. Blank records (never written, or zeroed) are no lines and are passed
// over, holes of a sparse file without reading them; a file grown out of all
// proportion is read a bounded slice per call.
// A file that now holds fewer records than lastRecord was cut short, deleted
// or made anew: reading starts again from its first record and restarted is
// set, so that the caller renumbers from there instead of waiting for the
// file to grow back past a position it never reaches again.
struct MessageBatch {
    std::vector<std::string> lines;
    std::vector<std::int64_t> records; // the record number of each line
    std::int64_t lastRecord = 0;
    bool restarted = false;
};
FolderResult<MessageBatch> ReadMessagesSince(const std::string& folder, std::int64_t lastRecord);
// The same on msg.spk already open.
FolderResult<MessageBatch> ReadMessagesSince(RecordFile& file, std::int64_t lastRecord);

} // namespace scrivo

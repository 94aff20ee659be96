// Reading msg.spk of any length, from any position: only whole records are
// read, each exactly as it decodes; a position past the end starts again
// from the first record; an append goes after the last whole record; and a
// file cut short mid-game is picked up again.
#include <unistd.h>

#include "fuzz/FuzzSupport.h"
#include "gamefolder/RecordFile.h"
#include "platform/Text.h"

namespace scrivo::fuzz {

namespace {

void RequireBatch(const std::string& bytes, std::int64_t from, const MessageBatch& batch)
{
    const std::int64_t count = static_cast<std::int64_t>(bytes.size()) / MessageRecordLength;
    const bool past = from > count;
    Require(batch.restarted == past, "reading starts again exactly when the position is past the end");
    const std::int64_t first = past ? 0 : (from < 0 ? 0 : from);
    Require(batch.lastRecord == count, "the batch ends at the last whole record");
    Require(batch.records.size() == batch.lines.size(), "every line has its record number");
    std::size_t i = 0;
    for (std::int64_t n = first + 1; n <= count; ++n) {
        const std::string expected =
            Trim(DecodeMessageRecord(
                     bytes.substr(static_cast<std::size_t>(n - 1) * MessageRecordLength, MessageRecordLength))
                     .Text);
        if (expected.empty()) continue; // a blank record is no line
        Require(i < batch.lines.size() && batch.records[i] == n && batch.lines[i] == expected,
                "each line that is not blank is its record decoded");
        ++i;
    }
    Require(i == batch.lines.size(), "no line but those of the records");
}

} // namespace

void MessageFileBody(const std::uint8_t* data, std::size_t size)
{
    QuietMessages();
    Input in(data, size);
    const std::uint8_t where = in.Byte();
    const std::uint8_t cut = in.Byte();
    const std::string line = in.Piece();
    const std::string bytes = in.Rest();
    const std::string& folder = ScratchFolder();
    const std::string path = MessageFilePath(folder);
    WriteFile(path, bytes);

    const std::int64_t count = static_cast<std::int64_t>(bytes.size()) / MessageRecordLength;
    const std::int64_t from = static_cast<std::int64_t>(where % 8) - 2 + (where >= 128 ? count : 0);
    FolderResult<MessageBatch> batch = ReadMessagesSince(folder, from);
    Require(batch.Ok(), "a message file of any content can be read");
    RequireBatch(bytes, from, *batch);

    // An append lands after the last whole record, a torn tail overwritten.
    const std::string sent = Cp1252ToUtf8(line);
    Require(SendPlayerMessage(folder, sent).Ok(), "a line can be appended");
    FolderResult<MessageBatch> after = ReadMessagesSince(folder, count);
    const std::string back = Trim(DecodeMessageRecord(EncodeMessageRecord(MessageRecord{sent})).Text);
    Require(after.Ok() && after->lastRecord == count + 1 && after->lines.size() == (back.empty() ? 0u : 1u),
            "the appended line is the next record");
    Require(back.empty() || after->lines[0] == back, "the appended line reads back as sent");

    // Cut the file short (or delete it) and read on from where we were.
    const std::int64_t total = (count + 1) * MessageRecordLength;
    const std::int64_t keep = cut == 255 ? -1 : total * cut / 255;
    if (keep < 0)
        ::unlink(path.c_str());
    else
        Require(::truncate(path.c_str(), static_cast<off_t>(keep)) == 0, "the file can be cut");
    std::string left = bytes.substr(0, static_cast<std::size_t>(count) * MessageRecordLength) +
                       EncodeMessageRecord(MessageRecord{sent});
    left.resize(keep < 0 ? 0 : static_cast<std::size_t>(keep));
    FolderResult<MessageBatch> resumed = ReadMessagesSince(folder, count + 1);
    Require(resumed.Ok(), "a cut or deleted file can be read");
    RequireBatch(left, count + 1, *resumed);
    ::unlink(path.c_str());
}

} // namespace scrivo::fuzz

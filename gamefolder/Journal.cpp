#include "gamefolder/Journal.h"

#include <algorithm>

#include "gamefolder/Records.h"
#include "platform/FileOps.h"
#include "platform/Bytes.h"
#include "platform/Paths.h"

namespace scrivo {

namespace {

// Byte layout of a record:
//   0 'J'   1 kind   2 seat   3 flags   4..7 hand number (little endian)
//   8..15 amount   16..23 to   24..31 number (Table: type, rules, currency)
//   32 pot   33 winners   34..58 text (name, cards or eligible seats)
//   59 zero   60..63 FNV-1a of bytes 0..59
constexpr char Mark = 'J';
constexpr std::size_t TextAt = 34;
constexpr std::size_t CheckAt = 60;
constexpr unsigned char NoCard = 0xFF;
constexpr std::size_t ReadChunk = 64 * 1024;

bool KnownKind(char c)
{
    return std::string_view("THSBKCRFDUPWGEX").find(c) != std::string_view::npos;
}

bool CarriesCards(JournalKind kind)
{
    return kind == JournalKind::Board || kind == JournalKind::Show;
}

bool SoundAmount(Currency amount)
{
    return amount >= Currency() && amount <= MaxRecordAmount;
}

} // namespace

std::string JournalFilePath(const std::string& folder)
{
    return JoinPath(folder, JournalFileName);
}

std::string EncodeJournalRecord(const JournalRecord& r)
{
    std::string out(static_cast<std::size_t>(JournalRecordLength), '\0');
    out[0] = Mark;
    out[1] = static_cast<char>(r.kind);
    out[2] = static_cast<char>(std::clamp(r.seat, 0, MaxPlayers));
    out[3] = static_cast<char>(r.flags);
    PutLittle(out, 4, r.hand, 4);
    PutLittle(out, 8, static_cast<std::uint64_t>(r.amount.Raw()), 8);
    PutLittle(out, 16, static_cast<std::uint64_t>(r.to.Raw()), 8);
    if (r.kind == JournalKind::Table) {
        out.replace(24, 4, EncodeText(r.gameType, GameTypeWidth));
        out[28] = r.rules;
        out.replace(29, 1, EncodeText(r.currencySymbol, CurrencySymbolWidth));
    } else {
        PutLittle(out, 24, static_cast<std::uint64_t>(r.number), 8);
    }
    out[32] = static_cast<char>(std::clamp(r.pot, 0, 255));
    out[33] = static_cast<char>(std::clamp(r.winners, 0, 255));
    if (CarriesCards(r.kind)) {
        for (std::size_t i = 0; i < 5; ++i)
            out[TextAt + i] = static_cast<char>(
                i < r.cards.size() ? r.cards[i].suit * FaceCount + r.cards[i].facevalue : NoCard);
    } else if (r.kind == JournalKind::Pot) {
        for (std::size_t i = 0; i < r.seats.size() && i < static_cast<std::size_t>(MaxPlayers); ++i)
            out[TextAt + i] = static_cast<char>('0' + r.seats[i]);
    } else if (r.kind == JournalKind::Seat || r.kind == JournalKind::Table) {
        out.replace(TextAt, JournalNameWidth, EncodeText(r.name, JournalNameWidth));
    }
    PutLittle(out, CheckAt, Fnv1a(std::string_view(out).substr(0, CheckAt)), 4);
    return out;
}

std::optional<JournalRecord> DecodeJournalRecord(std::string_view b)
{
    if (b.size() < static_cast<std::size_t>(JournalRecordLength) || b[0] != Mark || !KnownKind(b[1]) ||
        GetLittle(b, CheckAt, 4) != Fnv1a(b.substr(0, CheckAt)))
        return std::nullopt;
    JournalRecord r;
    r.kind = static_cast<JournalKind>(b[1]);
    r.seat = static_cast<unsigned char>(b[2]);
    r.flags = static_cast<std::uint8_t>(b[3]);
    r.hand = static_cast<std::uint32_t>(GetLittle(b, 4, 4));
    r.amount = Currency::FromRaw(static_cast<std::int64_t>(GetLittle(b, 8, 8)));
    r.to = Currency::FromRaw(static_cast<std::int64_t>(GetLittle(b, 16, 8)));
    r.pot = static_cast<unsigned char>(b[32]);
    r.winners = static_cast<unsigned char>(b[33]);
    if (r.seat > MaxPlayers || !SoundAmount(r.amount) || !SoundAmount(r.to)) return std::nullopt;
    if (r.kind == JournalKind::Table) {
        r.gameType = DecodeText(b.substr(24, 4));
        r.rules = b[28];
        r.currencySymbol = DecodeText(b.substr(29, 1));
        if (r.rules != 'S' && r.rules != 'C') return std::nullopt;
        if (r.gameType != "THLI" && r.gameType != "THPL" && r.gameType != "THNL") return std::nullopt;
    } else {
        r.number = static_cast<std::int64_t>(GetLittle(b, 24, 8));
    }
    if (CarriesCards(r.kind)) {
        for (std::size_t i = 0; i < 5; ++i) {
            const auto c = static_cast<unsigned char>(b[TextAt + i]);
            if (c == NoCard) break;
            if (c >= SuitCount * FaceCount) return std::nullopt;
            r.cards.emplace_back(c / FaceCount, c % FaceCount);
        }
        if (r.kind == JournalKind::Show && r.cards.size() != 2) return std::nullopt;
    } else if (r.kind == JournalKind::Pot) {
        for (std::size_t i = 0; i < static_cast<std::size_t>(MaxPlayers); ++i) {
            const char c = b[TextAt + i];
            if (c == '\0') break;
            if (c < '1' || c > '0' + MaxPlayers) return std::nullopt;
            r.seats.push_back(c - '0');
        }
    } else if (r.kind == JournalKind::Seat || r.kind == JournalKind::Table) {
        r.name = DecodeText(b.substr(TextAt, JournalNameWidth));
    }
    return r;
}

FolderResult<JournalBatch> ReadJournal(RecordFile& file, std::int64_t from)
{
    JournalBatch batch;
    auto size = file.ByteSize();
    if (!size) return size.status;
    std::int64_t end = *size;
    if (end > MaxJournalBytes) {
        end = MaxJournalBytes;
        batch.truncated = true;
    }
    if (from < 0 || from > end) from = 0; // the file was made anew
    const auto length = static_cast<std::int64_t>(JournalRecordLength);
    std::int64_t at = from;
    while (end - at >= length) {
        // A chunk, plus the bytes of a record that may start near its end.
        const std::int64_t want = std::min<std::int64_t>(end - at, static_cast<std::int64_t>(ReadChunk));
        auto bytes = file.ReadBytes(at, static_cast<std::size_t>(want));
        if (!bytes) return bytes.status;
        const std::string_view chunk(*bytes);
        std::size_t pos = 0;
        while (chunk.size() - pos >= static_cast<std::size_t>(length)) {
            if (auto r = DecodeJournalRecord(chunk.substr(pos, static_cast<std::size_t>(length)))) {
                batch.records.push_back(std::move(*r));
                pos += static_cast<std::size_t>(length);
            } else {
                ++batch.damagedBytes;
                ++pos;
            }
        }
        if (pos == 0) break; // cannot happen: a chunk holds at least one record's length
        at += static_cast<std::int64_t>(pos);
    }
    batch.next = at;
    return batch;
}

FolderResult<JournalBatch> ReadJournalFile(const std::string& folder, std::int64_t from)
{
    FileStat st;
    if (CurrentFileOps().Stat(JournalFilePath(folder), st) != 0) return JournalBatch{};
    auto file = OpenRecordFile(JournalFilePath(folder), JournalRecordLength);
    if (!file) return file.status;
    auto batch = ReadJournal(*file, from);
    file->Close();
    return batch;
}

} // namespace scrivo

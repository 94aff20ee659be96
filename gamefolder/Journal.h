#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "cards/Card.h"
#include "gamefolder/RecordFile.h"
#include "platform/Currency.h"

namespace scrivo {

// The public journal of a game: an append-only file of fixed records that
// the host writes in the same tick as the records it changes. It holds what
// every player at a real table sees (hole cards only when shown), so that
// every client can replay the hands through the rules and hand histories
// are written from it. Like every file of the folder it is untrusted.
inline constexpr const char* JournalFileName = "jnl.spk";
inline constexpr int JournalRecordLength = 64;
inline constexpr int JournalNameWidth = 25;
inline constexpr int JournalTextWidth = 36;
// Beyond this a journal is not read: a planted file cannot make a reader
// allocate without limit (a full evening of play stays far below it).
inline constexpr std::int64_t MaxJournalBytes = std::int64_t{16} << 20;

std::string JournalFilePath(const std::string& folder);

enum class JournalKind : char {
    Table = 'T',  // once: amount small blind, to big blind; rules, type, currency, name
    Hand = 'H',   // seat = button; amount = hand id; to = UTC seconds
    Seat = 'S',   // amount = stack at the deal; name; Dealt flag
    Blind = 'B',  // amount posted (Small, AllIn)
    Check = 'K',  // (TimedOut)
    Call = 'C',   // amount put in, to = the seat's total for the hand (AllIn)
    Raise = 'R',  // a bet or raise: amount put in, to = total (AllIn)
    Fold = 'F',   // (TimedOut, Left)
    Board = 'D',  // cards dealt to the board; pot = street 1..3 (RunOut)
    Return = 'U', // amount nobody called goes back
    Pot = 'P',    // pot number `pot` of amount, eligible seats; winners
    Show = 'W',   // seat shows both hole cards for pot `pot`
    Win = 'G',    // seat wins amount from pot `pot`
    Stack = 'E',  // seat's stack as the hand ends
    End = 'X',    // the hand is over
};

namespace JournalFlag {
inline constexpr std::uint8_t AllIn = 1;
inline constexpr std::uint8_t Small = 2;
inline constexpr std::uint8_t TimedOut = 4;
inline constexpr std::uint8_t Left = 8;
inline constexpr std::uint8_t RunOut = 16;
inline constexpr std::uint8_t Dealt = 32;
inline constexpr std::uint8_t Away = 64;
inline constexpr std::uint8_t Void = 128; // End: the hand was called off, every stake returned
} // namespace JournalFlag

struct JournalRecord {
    JournalKind kind = JournalKind::End;
    int seat = 0;
    std::uint8_t flags = 0;
    std::uint32_t hand = 0; // the hand number of the game (0 for the table)
    Currency amount;
    Currency to;
    std::int64_t number = 0; // hand id (Hand) or time; kept apart from money
    int pot = 0;             // pot number, street, or winners
    int winners = 0;
    std::vector<clsCard> cards; // up to five
    std::vector<int> seats;     // eligible seats of a pot
    std::string name;           // seat name or table name (UTF-8)
    std::string gameType;       // Table: "THLI", "THPL", "THNL"
    char rules = 'S';           // Table: 'S' standard, 'C' classic
    std::string currencySymbol; // Table

    bool Has(std::uint8_t flag) const { return (flags & flag) != 0; }
    bool operator==(const JournalRecord&) const = default;
};

// Exact 64-byte images. A record carries a checksum so that a reader can
// tell a whole record from damage and find the next one after it.
std::string EncodeJournalRecord(const JournalRecord& record);
// Nothing when the bytes are no whole, sound record: wrong mark or checksum,
// an unknown kind, a seat, card or amount out of range.
std::optional<JournalRecord> DecodeJournalRecord(std::string_view bytes);

// What a read of the journal gave: the sound records from byte `from` on,
// where the next read goes on, and the bytes skipped as damage.
struct JournalBatch {
    std::vector<JournalRecord> records;
    std::int64_t next = 0;
    std::int64_t damagedBytes = 0;
    bool truncated = false; // the file is larger than MaxJournalBytes
};
// Reads the journal already open from byte `from`. Damage is skipped a byte
// at a time until a sound record begins again; a tail shorter than a record
// is left for the next read.
FolderResult<JournalBatch> ReadJournal(RecordFile& file, std::int64_t from);
// Opens, reads and closes the journal of a game folder; a folder without
// one gives an empty batch.
FolderResult<JournalBatch> ReadJournalFile(const std::string& folder, std::int64_t from = 0);

} // namespace scrivo

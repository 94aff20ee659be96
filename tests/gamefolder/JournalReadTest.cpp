#include "gamefolder/Journal.h"

#include <unistd.h>

#include <fstream>
#include <functional>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "testsupport/RecordingMessageBox.h"
#include "testsupport/TempDir.h"

namespace scrivo {
namespace {

JournalRecord Win(int seat, std::int64_t cents)
{
    JournalRecord r;
    r.kind = JournalKind::Win;
    r.hand = 7;
    r.seat = seat;
    r.amount = Currency::FromRaw(cents * 100);
    r.pot = 1;
    return r;
}

// Every field goes to disk and back, names as Windows-1252.
TEST(JournalRecordCodec, RecordsOfEveryShapeComeBackAsWritten)
{
    JournalRecord table;
    table.kind = JournalKind::Table;
    table.amount = Currency::FromWhole(1);
    table.to = Currency::FromWhole(2);
    table.gameType = "THPL";
    table.rules = 'C';
    table.currencySymbol = "\xe2\x82\xac"; // the euro sign
    table.name = "Z\xc3\xb6"
                 "e's table";
    JournalRecord seat = Win(9, 12345);
    seat.kind = JournalKind::Seat;
    seat.name = "Bob";
    seat.flags = JournalFlag::Dealt;
    JournalRecord board;
    board.kind = JournalKind::Board;
    board.cards = {clsCard(0, 12), clsCard(3, 0), clsCard(2, 7)};
    JournalRecord pot = Win(0, 500);
    pot.kind = JournalKind::Pot;
    pot.seats = {1, 4, 9};
    pot.winners = 2;
    JournalRecord hand;
    hand.kind = JournalKind::Hand;
    hand.number = (std::int64_t{1} << 62) - 5;
    for (const JournalRecord& r : {table, seat, board, pot, hand, Win(3, 1)}) {
        const std::string bytes = EncodeJournalRecord(r);
        ASSERT_EQ(bytes.size(), static_cast<std::size_t>(JournalRecordLength));
        EXPECT_EQ(DecodeJournalRecord(bytes), r) << static_cast<char>(r.kind);
    }
}

// Whatever the file holds, the reader takes only sound records, finds the
// next one after damage, and leaves a torn tail for later.
TEST(JournalReader, DamageIsSkippedAndNothingUnsoundIsTaken)
{
    test::RecordingMessageBox boxes;
    const std::string a = EncodeJournalRecord(Win(1, 100)), b = EncodeJournalRecord(Win(2, 200));
    // Whole and checksummed, but with an amount below zero.
    const std::string negative = EncodeJournalRecord(Win(3, -300));
    std::string flipped = a;
    flipped[20] ^= 1;
    struct Case {
        const char* what;
        std::string bytes;
        std::size_t records;
        std::int64_t damaged;
    };
    const std::vector<Case> cases{
        {"sound", a + b, 2, 0},
        {"a byte flipped", a + flipped + b, 2, 64},
        {"garbage between", a + std::string(13, 'J') + b, 2, 13},
        {"a negative amount", negative + b, 1, 64},
        {"a torn tail", a + b.substr(0, 40), 1, 0},
        {"nothing but noise", std::string(1000, '\xff'), 0, 1000 - 63},
    };
    for (const Case& c : cases) {
        test::TempDir dir;
        std::ofstream(JournalFilePath(dir.Path()), std::ios::binary) << c.bytes;
        auto batch = ReadJournalFile(dir.Path());
        ASSERT_TRUE(batch) << c.what;
        EXPECT_EQ(batch->records.size(), c.records) << c.what;
        EXPECT_EQ(batch->damagedBytes, c.damaged) << c.what;
        EXPECT_FALSE(batch->truncated);
    }
}

// A huge planted file is read only up to the limit.
TEST(JournalReader, APlantedHugeFileIsReadOnlyToTheLimit)
{
    test::RecordingMessageBox boxes;
    test::TempDir dir;
    std::ofstream(JournalFilePath(dir.Path()), std::ios::binary) << EncodeJournalRecord(Win(1, 100));
    ASSERT_EQ(::truncate(JournalFilePath(dir.Path()).c_str(), 4 * MaxJournalBytes), 0);
    auto batch = ReadJournalFile(dir.Path());
    ASSERT_TRUE(batch);
    EXPECT_TRUE(batch->truncated);
    EXPECT_EQ(batch->records.size(), 1u);
    EXPECT_LE(batch->next, MaxJournalBytes);
}

} // namespace
} // namespace scrivo

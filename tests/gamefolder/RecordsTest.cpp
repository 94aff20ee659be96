#include "gamefolder/Records.h"

#include <gtest/gtest.h>
#include <string>

namespace scrivo {
namespace {

std::string Bytes(std::initializer_list<int> values)
{
    std::string s;
    for (int v : values) s += static_cast<char>(v);
    return s;
}

std::string LittleEndian64(std::int64_t v)
{
    std::string s;
    auto u = static_cast<std::uint64_t>(v);
    for (int i = 0; i < 8; ++i, u >>= 8) s += static_cast<char>(u & 0xFF);
    return s;
}

std::string Padded(const std::string& s, std::size_t width) { return s + std::string(width - s.size(), ' '); }

GameRecord SampleGame()
{
    GameRecord g;
    g.PlayerCount = 4;
    g.BotCount = -2;   // a negative Integer must keep its two's-complement bytes
    g.Status = "P3";
    g.GameName = "Friday night";
    g.GameType = "THNL";
    g.StartCash = Currency::FromWhole(50);
    g.Pot = Currency::FromRaw(125000);   // 12.5
    g.MinBet = Currency::FromWhole(-1);
    g.LastRaise = Currency::FromRaw(1);
    g.SmallBlind = Currency::FromWhole(1);
    g.BigBlind = Currency::FromWhole(2);
    g.CurrencySymbol = "€";
    return g;
}

TEST(GameRecordLayout, EveryFieldAtItsOffset)
{
    const std::string b = EncodeGameRecord(SampleGame());
    ASSERT_EQ(b.size(), 84u);
    EXPECT_EQ(b.substr(0, 2), Bytes({4, 0}));
    EXPECT_EQ(b.substr(2, 2), Bytes({0xFE, 0xFF}));
    EXPECT_EQ(b.substr(4, 2), "P3");
    EXPECT_EQ(b.substr(6, 25), Padded("Friday night", 25));
    EXPECT_EQ(b.substr(31, 4), "THNL");
    EXPECT_EQ(b.substr(35, 8), LittleEndian64(500000));
    EXPECT_EQ(b.substr(43, 8), LittleEndian64(125000));
    EXPECT_EQ(b.substr(51, 8), LittleEndian64(-10000));
    EXPECT_EQ(b.substr(59, 8), LittleEndian64(1));
    EXPECT_EQ(b.substr(67, 8), LittleEndian64(10000));
    EXPECT_EQ(b.substr(75, 8), LittleEndian64(20000));
    EXPECT_EQ(b.substr(83, 1), Bytes({0x80}));   // the euro sign of Windows-1252
    EXPECT_EQ(DecodeGameRecord(b), SampleGame());
}

TEST(PlayerRecordLayout, EveryFieldAtItsOffset)
{
    PlayerRecord p;
    p.PlayerNo = 9;
    p.Name = "Zoë";
    p.Cash = Currency::FromRaw(123456789);
    p.Bet = Currency::FromWhole(25);
    p.Action = "R12.5";
    p.Blind = "BB";
    p.Card1 = "2_12";
    p.Card2 = "0_0";
    p.Card3 = "3_9";
    p.Card4 = "1_10";
    p.Card5 = "";
    const std::string b = EncodePlayerRecord(p);
    ASSERT_EQ(b.size(), 80u);
    EXPECT_EQ(b.substr(0, 2), Bytes({9, 0}));
    EXPECT_EQ(b.substr(2, 25), Padded(std::string("Zo") + '\xEB', 25));
    EXPECT_EQ(b.substr(27, 8), LittleEndian64(123456789));
    EXPECT_EQ(b.substr(35, 8), LittleEndian64(250000));
    EXPECT_EQ(b.substr(43, 15), Padded("R12.5", 15));
    EXPECT_EQ(b.substr(58, 2), "BB");
    EXPECT_EQ(b.substr(60, 4), "2_12");
    EXPECT_EQ(b.substr(64, 4), "0_0 ");
    EXPECT_EQ(b.substr(68, 4), "3_9 ");
    EXPECT_EQ(b.substr(72, 4), "1_10");
    EXPECT_EQ(b.substr(76, 4), "    ");
    EXPECT_EQ(DecodePlayerRecord(b), p);
}

TEST(PlayerRecordLayout, NewBoardRecordIsZeroFilledWhereNeverWritten)
{
    const std::string b = EncodePlayerRecord(NewBoardRecord());
    std::string expected = Bytes({1, 0}) + Padded("Cheats Beware!", 25) + std::string(16, '\0') +
                           std::string(15 + 2, '\0') + std::string(20, ' ');
    EXPECT_EQ(b, expected);
    // And it survives a read-modify-write of its cards unchanged elsewhere.
    PlayerRecord board = DecodePlayerRecord(b);
    EXPECT_TRUE(IsZeroText(board.Action));
    board.Card1 = "1_1";
    const std::string again = EncodePlayerRecord(board);
    EXPECT_EQ(again.substr(0, 60), b.substr(0, 60));
    EXPECT_EQ(again.substr(60, 4), "1_1 ");
}

TEST(PlayerRecordLayout, BotSeatHasZeroFilledLastThreeCards)
{
    const std::string b = EncodePlayerRecord(NewSeatRecord(1, "Robo", Currency::FromWhole(50)));
    EXPECT_EQ(b.substr(0, 2), Bytes({1, 0}));
    EXPECT_EQ(b.substr(43, 15), Padded("-", 15));
    EXPECT_EQ(b.substr(58, 10), std::string(10, ' '));
    EXPECT_EQ(b.substr(68, 12), std::string(12, '\0'));
}

struct TextCase {
    std::string value;
    int width;
    std::string stored;
    std::string readBack;
};

void PrintTo(const TextCase& c, std::ostream* os) { *os << "width" << c.width; }

class TextField : public ::testing::TestWithParam<TextCase> {};

TEST_P(TextField, StoresWindows1252CutAndPadded)
{
    const TextCase& c = GetParam();
    EXPECT_EQ(EncodeText(c.value, c.width), c.stored);
    EXPECT_EQ(DecodeText(c.stored), c.readBack);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, TextField,
    ::testing::Values(
        // 30 characters keep their first 25; reading drops trailing blanks only.
        TextCase{"abcdefghijklmnopqrstuvwxyz1234", 25, "abcdefghijklmnopqrstuvwxy", "abcdefghijklmnopqrstuvwxy"},
        TextCase{"  lead", 8, "  lead  ", "  lead"},
        // Widths count stored bytes: two-byte UTF-8 letters take one byte each.
        TextCase{"ééééé", 4, "\xE9\xE9\xE9\xE9", "éééé"},
        // A character Windows-1252 lacks is stored as "?".
        TextCase{"日本", 4, "??  ", "??"},
        TextCase{"", 2, "  ", ""},
        // Bytes Windows-1252 leaves unassigned survive a round trip.
        TextCase{"\xC2\x81\xC2\x90", 2, "\x81\x90", "\xC2\x81\xC2\x90"}),
    [](const ::testing::TestParamInfo<TextCase>& info) { return "Case" + std::to_string(info.index); });

TEST(TextField, AnyStoredBytesDecodeAndEncodeBackUnchanged)
{
    std::string all;
    for (int i = 0; i < 256; ++i) all += static_cast<char>(i);
    for (std::size_t start = 0; start < 256; start += 25) {
        std::string field = all.substr(start, 25);
        field.resize(25, ' ');
        if (field.back() == ' ') continue;
        EXPECT_EQ(EncodeText(DecodeText(field), 25), field) << "from byte " << start;
    }
}

TEST(Scramble, RotatesEachByteAndTheReadingRotationUndoesIt)
{
    EXPECT_EQ(ScrambleText(Bytes({0x01, 0x80, 0x20, 0xFF}), 3), Bytes({0x08, 0x04, 0x01, 0xFF}));
    EXPECT_EQ(ScrambleText("abc", 11), ScrambleText("abc", 3));   // modulo 8
    EXPECT_EQ(ScrambleText("abc", 0), "abc");
    std::string all;
    for (int i = 0; i < 256; ++i) all += static_cast<char>(i);
    for (int w = 0; w < 8; ++w) EXPECT_EQ(ScrambleText(ScrambleText(all, w), 8 - w), all) << w;
    EXPECT_EQ(ScrambleWriteRotation + ScrambleReadRotation, 8);
}

TEST(MessageRecordLayout, LineIsCutPaddedAndScrambled)
{
    const std::string empty = EncodeMessageRecord({""});
    ASSERT_EQ(empty.size(), 100u);
    EXPECT_EQ(empty, std::string(100, static_cast<char>(0x01)));   // a blank is not stored as a blank
    EXPECT_EQ(DecodeMessageRecord(empty).Text, "");

    const std::string longLine = "m" + std::string(149, 'x') + "!";
    const std::string stored = EncodeMessageRecord({longLine});
    ASSERT_EQ(stored.size(), 100u);
    EXPECT_EQ(DecodeMessageRecord(stored).Text, longLine.substr(0, 100));
    EXPECT_EQ(ScrambleText(stored, ScrambleReadRotation), longLine.substr(0, 100));

    EXPECT_EQ(DecodeMessageRecord(EncodeMessageRecord({"3c2_12,0_4"})).Text, "3c2_12,0_4");
    EXPECT_EQ(DecodeMessageRecord(EncodeMessageRecord({"mJosé: olé"})).Text, "mJosé: olé");
}

} // namespace
} // namespace scrivo

#include "platform/Text.h"

#include <gtest/gtest.h>

namespace scrivo {
namespace {

TEST(Text, Cp1252RoundTripsEveryAssignedByte)
{
    for (int b = 1; b < 256; ++b) {
        if (b == 0x81 || b == 0x8D || b == 0x8F || b == 0x90 || b == 0x9D) continue;
        const std::string one(1, static_cast<char>(b));
        const std::string utf8 = Cp1252ToUtf8(one);
        EXPECT_TRUE(IsValidUtf8(utf8));
        EXPECT_EQ(Utf8ToCp1252(utf8), one) << b;
    }
}

TEST(Text, CharactersOutsideCp1252BecomeQuestionMarks)
{
    EXPECT_EQ(Utf8ToCp1252("\xE2\x99\xA0"), "?"); // spade sign
    EXPECT_EQ(Utf8ToCp1252("J\xC3\xBCrgen \xE2\x82\xAC"), "J\xFCrgen \x80");
    EXPECT_FALSE(IsValidUtf8("\xFF\xFE"));
    EXPECT_FALSE(IsValidUtf8("\xC0\xAF")); // overlong
    EXPECT_FALSE(IsValidUtf8("\xE2\x99")); // cut short
}

TEST(Text, ValReadsTheLeadingNumber)
{
    EXPECT_DOUBLE_EQ(Val("12abc"), 12);
    EXPECT_DOUBLE_EQ(Val(" 1 2 . 5x"), 12.5);
    EXPECT_DOUBLE_EQ(Val("abc"), 0);
    EXPECT_DOUBLE_EQ(Val("-3"), -3);
    EXPECT_DOUBLE_EQ(Val("1e3"), 1000);
    EXPECT_DOUBLE_EQ(Val("2e"), 2);
    EXPECT_DOUBLE_EQ(Val("1e999"), 0);
    EXPECT_EQ(RoundHalfEven(2.5), 2);
    EXPECT_EQ(RoundHalfEven(3.5), 4);
}

TEST(Text, TrimAndCaseHelpersTouchOnlyBlanksAndAscii)
{
    EXPECT_EQ(Trim("  Ann \t "), "Ann \t");
    EXPECT_EQ(TrimRight("Ann   "), "Ann");
    EXPECT_TRUE(EqualsNoCase("ann", "ANN"));
    EXPECT_FALSE(EqualsNoCase("ann", "anne"));
}

} // namespace
} // namespace scrivo

#include "settings/Convert.h"

#include <gtest/gtest.h>

namespace scrivo {
namespace {

struct LongCase {
    const char* text;
    bool ok;
    long value;
    const char* error;
};

class ToLongTest : public ::testing::TestWithParam<LongCase> {};

TEST_P(ToLongTest, ConvertsOrSaysWhy)
{
    const LongCase& c = GetParam();
    const LongConversion r = ToLong(c.text);
    EXPECT_EQ(r.ok, c.ok) << c.text;
    if (c.ok)
        EXPECT_EQ(r.value, c.value) << c.text;
    else
        EXPECT_EQ(r.error, c.error) << c.text;
}

INSTANTIATE_TEST_SUITE_P(
    Texts, ToLongTest,
    ::testing::Values(LongCase{"1500", true, 1500, ""}, LongCase{"  42  ", true, 42, ""},
                      LongCase{"-7", true, -7, ""}, LongCase{"+7", true, 7, ""}, LongCase{"2.5", true, 2, ""},
                      LongCase{"3.5", true, 4, ""}, LongCase{"-2.5", true, -2, ""},
                      LongCase{"1e3", true, 1000, ""}, LongCase{".5", true, 0, ""},
                      LongCase{"&H10", true, 16, ""}, LongCase{"&HFFFFFFFF", true, -1, ""},
                      LongCase{"&O17", true, 15, ""}, LongCase{"2147483647", true, 2147483647L, ""},
                      LongCase{"-2147483648", true, -2147483647L - 1, ""},
                      LongCase{"2147483648", false, 0, kOverflow}, LongCase{"1e400", false, 0, kOverflow},
                      LongCase{"abc", false, 0, kTypeMismatch}, LongCase{"", false, 0, kTypeMismatch},
                      LongCase{"12abc", false, 0, kTypeMismatch}, LongCase{"1e", false, 0, kTypeMismatch},
                      LongCase{".", false, 0, kTypeMismatch}, LongCase{"&H", false, 0, kTypeMismatch},
                      LongCase{"&HZZ", false, 0, kTypeMismatch}, LongCase{"1 2", false, 0, kTypeMismatch}));

TEST(NumberTextTest, WritesWholeNumbersPlainly)
{
    EXPECT_EQ(NumberText(2700), "2700");
    EXPECT_EQ(NumberText(-15), "-15");
    EXPECT_EQ(NumberText(12.5), "12.5");
    EXPECT_DOUBLE_EQ(ToSingle(NumberText(1234.567f)).value, static_cast<double>(1234.567f));
}

} // namespace
} // namespace scrivo

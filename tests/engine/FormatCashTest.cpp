#include "engine/FormatCash.h"

#include <gtest/gtest.h>

namespace scrivo {
namespace {

struct CashCase {
    Currency amount;
    std::string symbol;
    std::string shown;
};

class FormatCashTest : public ::testing::TestWithParam<CashCase> {};

TEST_P(FormatCashTest, ShowsWholeAmountsBareAndCentsWithTwoDecimals)
{
    EXPECT_EQ(FormatCash(GetParam().amount, GetParam().symbol), GetParam().shown);
}

INSTANTIATE_TEST_SUITE_P(Amounts, FormatCashTest,
                         ::testing::Values(CashCase{Currency::FromWhole(25), "$", "$25"},
                                           CashCase{Currency::FromRaw(25000), "$", "$2.50"},
                                           CashCase{Currency(), "$", "$0"},
                                           CashCase{Currency::FromRaw(333300), "", "33.33"},
                                           CashCase{Currency::FromRaw(5), "$", "$0.00"},
                                           CashCase{Currency::FromRaw(1050), "$", "$0.11"},
                                           CashCase{Currency::FromRaw(-25000), "$", "$-2.50"},
                                           CashCase{Currency::FromWhole(1000000), "E", "E1000000"}));

} // namespace
} // namespace scrivo

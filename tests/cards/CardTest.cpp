#include "cards/Card.h"

#include <gtest/gtest.h>

#include "cards/CardNames.h"
#include "settings/Language.h"
#include "tests/cards/CardsTestSupport.h"

namespace scrivo {
namespace {

TEST(CardText, EveryCardRoundTripsThroughItsText)
{
    std::vector<clsCard> all;
    for (int suit = 0; suit < 4; ++suit)
        for (int face = 0; face < 13; ++face) {
            const clsCard card(suit, face);
            const auto back = ParseCard(CardToText(card));
            ASSERT_TRUE(back.ok) << back.error;
            EXPECT_EQ(back.card, card);
            all.push_back(card);
        }
    const auto list = ParseCardList(CardListText(all));
    ASSERT_TRUE(list.ok) << list.error;
    EXPECT_EQ(list.cards, all);
}

TEST(CardText, WritesSuitUnderscoreFaceJoinedByCommas)
{
    EXPECT_EQ(CardToText(clsCard(3, 12)), "3_12");
    EXPECT_EQ(CardListText({clsCard(0, 0), clsCard(2, 11)}), "0_0,2_11");
    EXPECT_EQ(CardListText({}), "");
}

TEST(CardText, ReadsBlankPaddedFieldsAndEmptyLists)
{
    const auto one = ParseCard(" 1_9  ");
    ASSERT_TRUE(one.ok);
    EXPECT_EQ(one.card, clsCard(1, 9));
    const auto list = ParseCardList(" 0_0, 2_11 ");
    ASSERT_TRUE(list.ok) << list.error;
    EXPECT_EQ(list.cards, (std::vector<clsCard>{clsCard(0, 0), clsCard(2, 11)}));
    const auto empty = ParseCardList("   ");
    EXPECT_TRUE(empty.ok);
    EXPECT_TRUE(empty.cards.empty());
}

class BadCardText : public ::testing::TestWithParam<const char*> {};

TEST_P(BadCardText, IsRefusedWithAMessageNamingTheText)
{
    const auto one = ParseCard(GetParam());
    EXPECT_FALSE(one.ok);
    EXPECT_NE(one.error.find(GetParam()), std::string::npos) << one.error;
    const auto list = ParseCardList(std::string("0_1,") + GetParam());
    EXPECT_FALSE(list.ok);
    EXPECT_TRUE(list.cards.empty());
    EXPECT_NE(list.error.find("card 2"), std::string::npos) << list.error;
}

INSTANTIATE_TEST_SUITE_P(Texts, BadCardText,
                         ::testing::Values("", "3", "3_", "_12", "3-12", "3_12_1", "a_1", "1_b", "-1_2",
                                           "1_-2", "4_0", "0_13", "1_ 2", "+1_2", "1.0_2", "99999999999_1"));

TEST(CardText, ListWithEmptyPartIsRefused)
{
    EXPECT_FALSE(ParseCardList("0_1,,0_2").ok);
    EXPECT_FALSE(ParseCardList("0_1,").ok);
}

using CardNames = cardstest::EnglishCardNames;

TEST_F(CardNames, NamesComeFromTheLanguageTable)
{
    EXPECT_EQ(SuitName(0), "Hearts");
    EXPECT_EQ(SuitName(3), "Clubs");
    EXPECT_EQ(FaceName(0), "Two");
    EXPECT_EQ(FaceName(12), "Ace");
    EXPECT_EQ(FaceNamePlural(5), "Sevens");
    EXPECT_EQ(FaceNamePlural(12), "Aces");
    EXPECT_EQ(modCards::CardText(clsCard(2, 11)), "King of Spades");
    EXPECT_EQ(modCards::CardText(clsCard(1, 3)), "Five of Diamonds");
}

TEST_F(CardNames, OutOfRangeValuesHaveNoName)
{
    for (int bad : {-1, 4, 13, 1000, INT32_MIN})
        EXPECT_EQ(SuitName(bad), "") << bad;
    for (int bad : {-1, 13, 69, INT32_MAX}) {
        EXPECT_EQ(FaceName(bad), "") << bad;
        EXPECT_EQ(FaceNamePlural(bad), "") << bad;
    }
}

TEST_F(CardNames, ShippedEnglishFileNamesEveryCard)
{
    // The language file beside the program, as the program loads it.
    ReadLanguageFile("Lang_English.ini");
    EXPECT_EQ(modCards::CardText(clsCard(2, 11)), "King of Spades");
    EXPECT_EQ(modCards::CardText(clsCard(0, 0)), "Two of Hearts");
    EXPECT_EQ(FaceNamePlural(3), "Fives");
    for (int suit = 0; suit < 4; ++suit) EXPECT_NE(SuitName(suit), "") << suit;
    for (int face = 0; face < 13; ++face) {
        EXPECT_NE(FaceName(face), "") << face;
        EXPECT_NE(FaceNamePlural(face), "") << face;
    }
}

TEST_F(CardNames, CardTextFollowsTheMessageWording)
{
    LangText[93] = "$: %";
    EXPECT_EQ(modCards::CardText(clsCard(0, 12)), "Hearts: Ace");
}

} // namespace
} // namespace scrivo

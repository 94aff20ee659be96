#include "tests/cards/CardsTestSupport.h"

#include "cards/Card.h"
#include "settings/Language.h"

namespace scrivo::cardstest {

colHand HandOf(std::string_view cards)
{
    const auto parsed = ParseCardList(cards);
    EXPECT_TRUE(parsed.ok) << parsed.error;
    return colHand(parsed.cards);
}

void EnglishCardNames::SetUp()
{
    m_saved = LangText;
    const char* suits[] = {"Hearts", "Diamonds", "Spades", "Clubs"};
    const char* faces[] = {"Two",  "Three", "Four", "Five",  "Six",  "Seven", "Eight",
                           "Nine", "Ten",   "Jack", "Queen", "King", "Ace"};
    const char* plurals[] = {"Twos",  "Threes", "Fours", "Fives",  "Sixes", "Sevens", "Eights",
                             "Nines", "Tens",   "Jacks", "Queens", "Kings", "Aces"};
    for (int i = 0; i < 4; ++i)
        LangText[52 + i] = suits[i];
    for (int i = 0; i < 13; ++i) {
        LangText[56 + i] = faces[i];
        LangText[69 + i] = plurals[i];
    }
    LangText[93] = "% of $";
}

void EnglishCardNames::TearDown()
{
    LangText = m_saved;
}

} // namespace scrivo::cardstest

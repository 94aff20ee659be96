// Card text: whatever reads as a card is a valid card whose own text reads
// back as the same card; a card list likewise.
#include "cards/Card.h"
#include "fuzz/FuzzSupport.h"

namespace scrivo::fuzz {

void CardTextBody(const std::uint8_t* data, std::size_t size)
{
    const std::string text(reinterpret_cast<const char*>(data), size);

    const CardParseResult one = ParseCard(text);
    Require(one.ok != !one.error.empty(), "a card reads or says why not");
    if (one.ok) {
        Require(IsValidCard(one.card), "a card read is a valid card");
        const CardParseResult again = ParseCard(CardToText(one.card));
        Require(again.ok && again.card == one.card, "a card's text reads back as the card");
        Require(CardToText(one.card).size() <= 4, "a card's text fits its record field");
    }

    const CardListParseResult list = ParseCardList(text);
    Require(list.ok != !list.error.empty(), "a card list reads or says why not");
    if (!list.ok) {
        Require(list.cards.empty(), "a list that does not read gives no cards");
        return;
    }
    for (const clsCard& card : list.cards)
        Require(IsValidCard(card), "a card of a list is a valid card");
    const CardListParseResult again = ParseCardList(CardListText(list.cards));
    Require(again.ok && again.cards == list.cards, "a card list's text reads back as the list");
}

} // namespace scrivo::fuzz

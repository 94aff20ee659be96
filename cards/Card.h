#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace scrivo {

// One playing card. A plain value: copying a card copies all three fields.
//   suit:         0 hearts, 1 diamonds, 2 spades, 3 clubs
//   facevalue:    0 two .. 12 ace
//   CardsFromTop: position in a pack, 0 = top; 0 outside a pack
// Values are stored as given; nothing here checks their range.
struct clsCard {
    std::int32_t CardsFromTop = 0;
    std::int32_t facevalue = 0;
    std::int32_t suit = 0;

    clsCard() = default;
    clsCard(std::int32_t suitValue, std::int32_t faceValue, std::int32_t cardsFromTop = 0)
        : CardsFromTop(cardsFromTop), facevalue(faceValue), suit(suitValue)
    {
    }

    // Same suit and face value; the position in a pack does not count.
    bool SameCard(const clsCard& other) const { return suit == other.suit && facevalue == other.facevalue; }
    bool operator==(const clsCard&) const = default;
};

inline constexpr int SuitCount = 4;
inline constexpr int FaceCount = 13;

// Text form of one card: suit "_" facevalue in decimal ("3_12" is the ace of
// clubs). A card list joins such texts with ",".
std::string CardToText(const clsCard& card);
std::string CardListText(const std::vector<clsCard>& cards);

// Result of reading card text. On failure `ok` is false and `error` says what
// is wrong with which part of the text.
struct CardParseResult {
    bool ok = false;
    clsCard card;
    std::string error;
};
struct CardListParseResult {
    bool ok = false;
    std::vector<clsCard> cards;
    std::string error;
};

// Reads "suit_facevalue": two unsigned decimal numbers, blanks around the
// whole text ignored, suit 0..3 and face value 0..12.
CardParseResult ParseCard(std::string_view text);
// Reads cards joined by ","; an empty (or blank) text is an empty list.
CardListParseResult ParseCardList(std::string_view text);

} // namespace scrivo

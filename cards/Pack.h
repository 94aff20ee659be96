#pragma once

#include <cstdint>
#include <optional>
#include <string_view>

#include "cards/Hand.h"

namespace scrivo {

class Random;

// A pack of cards. The collection order is the order the cards were added and
// never changes by shuffling or dealing; CardsFromTop says where a card lies.
// In a pack of n cards the CardsFromTop values are 0..n-1, each once, as long
// as cards come in through ResetPack and AddACard.
class colPack : public CardCollection {
public:
    // Adds a new card with Card's suit and face value at the bottom.
    void AddACard(const clsCard& Card);
    // Deals the top card: a new card with its suit and face value; every
    // remaining card moves one place up. Throws on an empty pack.
    clsCard TakeACard();
    // 1-based position (collection order) of the first card with
    // CardsFromTop 0; nothing when there is none.
    std::optional<std::int32_t> TopCard() const;
    // Gives every card a new random place without moving it in the
    // collection. Reseeds the program's generator from the clock first
    // (unless a fixed seed was set).
    void Shuffle();
    // The same with the given generator, as it stands.
    void Shuffle(Random& random);
    // The 52 cards in order: suit 0..3, within each face value 0..12, with
    // CardsFromTop 13 * suit + facevalue.
    void ResetPack();
    // Creates a card with these values and appends it (under sKey if not empty).
    clsCard& Add(std::int32_t suit, std::int32_t facevalue, std::int32_t CardsFromTop,
                 std::string_view sKey = {});
};

} // namespace scrivo

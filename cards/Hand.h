#pragma once

#include <cstdint>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

#include "cards/Card.h"

namespace scrivo {

// Failure of a card collection: a position or key that is not there, or a
// key that is already taken. The text is the collection's own error text.
class CollectionError : public std::runtime_error {
public:
    enum class Kind { InvalidPosition, InvalidKey, DuplicateKey };

    explicit CollectionError(Kind kind);
    // The classic error number of the collection error (9, 5 or 457).
    int Number() const;

    static const char* TextOf(Kind kind);

private:
    Kind m_kind;
};

// Ordered cards with 1-based positions in insertion order and an optional
// key per card (keys compare without regard to ASCII case, as collection
// keys always did). Cards are stored by value: adding copies the values in,
// and Item returns the stored card. A reference from Item or Add stays valid
// until the collection is next changed (Add, Remove, Clear, TakeACard, Sort).
class CardCollection {
public:
    std::int32_t Count() const { return static_cast<std::int32_t>(m_cards.size()); }

    // The stored card (not a copy). Throws CollectionError on a missing
    // position or key.
    clsCard& Item(std::int32_t position);
    const clsCard& Item(std::int32_t position) const;
    clsCard& Item(std::string_view key);
    const clsCard& Item(std::string_view key) const;

    void Remove(std::int32_t position);
    void Remove(std::string_view key);

    // Position of the card stored under key, 0 when there is none.
    std::int32_t PositionOf(std::string_view key) const;

    // Empties the collection.
    void Clear();

    // NewEnum: the stored cards in order, for range-for.
    using iterator = std::vector<clsCard>::iterator;
    using const_iterator = std::vector<clsCard>::const_iterator;
    iterator begin() { return m_cards.begin(); }
    iterator end() { return m_cards.end(); }
    const_iterator begin() const { return m_cards.begin(); }
    const_iterator end() const { return m_cards.end(); }

    // The stored cards in order (read only), for code that scans many hands.
    const std::vector<clsCard>& Cards() const { return m_cards; }
    void Reserve(std::int32_t count) { m_cards.reserve(static_cast<std::size_t>(count)); }

    // Copies of the stored cards; the positions in a pack come along.
    std::vector<clsCard> ToVector() const { return m_cards; }

protected:
    // Appends a copy of card under key (no key when empty); returns the stored card.
    clsCard& Append(const clsCard& card, std::string_view key);
    std::size_t IndexOf(std::int32_t position) const;
    std::size_t IndexOf(std::string_view key) const;
    void EraseAt(std::size_t index);

    std::vector<clsCard> m_cards;
    // Either empty (no card has a key) or one entry per card ("" = no key).
    std::vector<std::string> m_keys;
};

// A hand: hole cards, the board, a candidate five-card hand.
class colHand : public CardCollection {
public:
    colHand() = default;
    // A hand holding copies of these cards (suit and face value only), without keys.
    explicit colHand(const std::vector<clsCard>& cards);

    // Appends a new card with Card's suit and face value.
    void AddACard(const clsCard& Card);
    // A new card with the suit and face value of that position; the position
    // is then removed.
    clsCard TakeACard(std::int32_t cardNo);
    // Ascending order: PrimarySort 0 by face value then suit, any other value
    // by suit then face value.
    void Sort(std::int32_t PrimarySort);
    // Creates a card with these values (CardsFromTop 0) and appends it under
    // sKey, or without key when sKey is empty. Throws on a duplicate key.
    clsCard& Add(std::int32_t suit, std::int32_t facevalue, std::string_view sKey = {});
};

} // namespace scrivo

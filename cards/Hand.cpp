#include "cards/Hand.h"

#include <array>

#include "platform/Text.h"

namespace scrivo {

CollectionError::CollectionError(Kind kind) : std::runtime_error(TextOf(kind)), m_kind(kind) {}

const char* CollectionError::TextOf(Kind kind)
{
    switch (kind) {
    case Kind::InvalidPosition:
        return "Subscript out of range";
    case Kind::InvalidKey:
        return "Invalid procedure call or argument";
    case Kind::DuplicateKey:
        return "This key is already associated with an element of this collection";
    }
    return "Invalid procedure call or argument";
}

int CollectionError::Number() const
{
    switch (m_kind) {
    case Kind::InvalidPosition:
        return 9;
    case Kind::InvalidKey:
        return 5;
    case Kind::DuplicateKey:
        return 457;
    }
    return 5;
}

// ---- CardCollection ----

std::size_t CardCollection::IndexOf(std::int32_t position) const
{
    if (position < 1 || position > Count()) throw CollectionError(CollectionError::Kind::InvalidPosition);
    return static_cast<std::size_t>(position - 1);
}

std::size_t CardCollection::IndexOf(std::string_view key) const
{
    const std::int32_t position = PositionOf(key);
    if (position == 0) throw CollectionError(CollectionError::Kind::InvalidKey);
    return static_cast<std::size_t>(position - 1);
}

std::int32_t CardCollection::PositionOf(std::string_view key) const
{
    if (key.empty()) return 0;
    for (std::size_t i = 0; i < m_keys.size(); ++i) {
        if (!m_keys[i].empty() && EqualsNoCase(m_keys[i], key)) return static_cast<std::int32_t>(i + 1);
    }
    return 0;
}

clsCard& CardCollection::Item(std::int32_t position)
{
    return m_cards[IndexOf(position)];
}
const clsCard& CardCollection::Item(std::int32_t position) const
{
    return m_cards[IndexOf(position)];
}
clsCard& CardCollection::Item(std::string_view key)
{
    return m_cards[IndexOf(key)];
}
const clsCard& CardCollection::Item(std::string_view key) const
{
    return m_cards[IndexOf(key)];
}

void CardCollection::Remove(std::int32_t position)
{
    EraseAt(IndexOf(position));
}
void CardCollection::Remove(std::string_view key)
{
    EraseAt(IndexOf(key));
}

void CardCollection::EraseAt(std::size_t index)
{
    m_cards.erase(m_cards.begin() + static_cast<std::ptrdiff_t>(index));
    if (!m_keys.empty()) m_keys.erase(m_keys.begin() + static_cast<std::ptrdiff_t>(index));
}

void CardCollection::Clear()
{
    m_cards.clear();
    m_keys.clear();
}

clsCard& CardCollection::Append(const clsCard& card, std::string_view key)
{
    if (!key.empty()) {
        if (PositionOf(key) != 0) throw CollectionError(CollectionError::Kind::DuplicateKey);
        // Key storage is made on the first keyed card only; hands almost never use keys.
        if (m_keys.empty()) m_keys.resize(m_cards.size());
        m_keys.reserve(m_cards.size() + 1);
    }
    m_cards.push_back(card);
    if (!m_keys.empty() || !key.empty()) m_keys.emplace_back(key);
    return m_cards.back();
}

// ---- colHand ----

colHand::colHand(const std::vector<clsCard>& cards)
{
    m_cards.reserve(cards.size());
    for (const auto& card : cards)
        m_cards.emplace_back(card.suit, card.facevalue);
}

void colHand::AddACard(const clsCard& Card)
{
    Add(Card.suit, Card.facevalue);
}

clsCard colHand::TakeACard(std::int32_t cardNo)
{
    const std::size_t index = IndexOf(cardNo);
    const clsCard card(m_cards[index].suit, m_cards[index].facevalue);
    EraseAt(index);
    return card;
}

clsCard& colHand::Add(std::int32_t suit, std::int32_t facevalue, std::string_view sKey)
{
    return Append(clsCard(suit, facevalue), sKey);
}

void colHand::Sort(std::int32_t PrimarySort)
{
    // The order of a selection sort on single-precision keys that takes the
    // greatest key not yet taken (the earliest position among equal keys) and
    // then reverses: ascending keys, and among equal keys the later position
    // first. Each card's place is counted directly, which gives that order
    // without the selection sort's unpredictable branches. Keys are dropped,
    // as in a rebuilt hand.
    const std::size_t n = m_cards.size();
    constexpr std::size_t SmallHand = 16; // hands are small; keep them off the heap
    std::array<float, SmallHand> smallKeys;
    std::array<clsCard, SmallHand> smallOut;
    std::vector<float> bigKeys;
    std::vector<clsCard> bigOut;
    float* keys = smallKeys.data();
    clsCard* out = smallOut.data();
    if (n > SmallHand) {
        bigKeys.resize(n);
        bigOut.resize(n);
        keys = bigKeys.data();
        out = bigOut.data();
    }
    for (std::size_t i = 0; i < n; ++i) {
        const double suit = m_cards[i].suit;
        const double face = m_cards[i].facevalue;
        keys[i] = PrimarySort == 0 ? static_cast<float>(face + suit / 10.0)
                                   : static_cast<float>(suit + face / 100.0);
    }
    for (std::size_t i = 0; i < n; ++i) {
        std::size_t place = 0;
        for (std::size_t j = 0; j < n; ++j)
            place += static_cast<std::size_t>(keys[j] < keys[i]) +
                     static_cast<std::size_t>(j > i && keys[j] == keys[i]);
        out[place] = clsCard(m_cards[i].suit, m_cards[i].facevalue);
    }
    m_cards.assign(out, out + n);
    m_keys.clear();
}

} // namespace scrivo

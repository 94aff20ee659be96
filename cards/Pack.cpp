#include "cards/Pack.h"

#include <algorithm>

#include "platform/Random.h"

namespace scrivo {

void colPack::AddACard(const clsCard& Card)
{
    Add(Card.suit, Card.facevalue, Count());
}

std::optional<std::int32_t> colPack::TopCard() const
{
    for (std::size_t i = 0; i < m_cards.size(); ++i) {
        if (m_cards[i].CardsFromTop == 0) return static_cast<std::int32_t>(i + 1);
    }
    return std::nullopt;
}

clsCard colPack::TakeACard()
{
    // Without a top card the first card in collection order is dealt; on an
    // empty pack that position is missing and IndexOf throws.
    const std::int32_t position = TopCard().value_or(1);
    const std::size_t index = IndexOf(position);
    const clsCard card(m_cards[index].suit, m_cards[index].facevalue);
    EraseAt(index);
    for (auto& rest : m_cards)
        --rest.CardsFromTop;
    return card;
}

void colPack::Shuffle()
{
    Random& random = ProgramRandom();
    random.Randomize();
    Shuffle(random);
}

void colPack::Shuffle(Random& random)
{
    const std::size_t n = m_cards.size();
    std::vector<std::int32_t> places(n);
    for (std::size_t i = 0; i < n; ++i)
        places[i] = static_cast<std::int32_t>(i);
    for (auto& card : m_cards) {
        const std::size_t m = places.size();
        // Int(r * m) with r < 1 stays below m; the clamp only guards rounding.
        const auto k = std::min(static_cast<std::size_t>(random.Next() * static_cast<double>(m)), m - 1);
        card.CardsFromTop = places[k];
        places.erase(places.begin() + static_cast<std::ptrdiff_t>(k));
    }
}

void colPack::ResetPack()
{
    Clear();
    m_cards.reserve(SuitCount * FaceCount);
    std::int32_t counter = 0;
    for (std::int32_t suit = 0; suit < SuitCount; ++suit) {
        for (std::int32_t face = 0; face < FaceCount; ++face)
            Add(suit, face, counter++);
    }
}

clsCard& colPack::Add(std::int32_t suit, std::int32_t facevalue, std::int32_t CardsFromTop,
                      std::string_view sKey)
{
    return Append(clsCard(suit, facevalue, CardsFromTop), sKey);
}

} // namespace scrivo

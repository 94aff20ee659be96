#include "cards/Card.h"

#include <charconv>

namespace scrivo {

namespace {

std::string_view TrimBlanks(std::string_view s)
{
    const auto isBlank = [](char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; };
    while (!s.empty() && isBlank(s.front()))
        s.remove_prefix(1);
    while (!s.empty() && isBlank(s.back()))
        s.remove_suffix(1);
    return s;
}

// Unsigned decimal number made of digits only; false on anything else.
bool ReadNumber(std::string_view s, std::int32_t& value)
{
    if (s.empty() || s.size() > 9) return false;
    for (char c : s) {
        if (c < '0' || c > '9') return false;
    }
    const auto [end, ec] = std::from_chars(s.data(), s.data() + s.size(), value);
    return ec == std::errc() && end == s.data() + s.size();
}

std::string Quoted(std::string_view s)
{
    return "\"" + std::string(s) + "\"";
}

} // namespace

std::string CardToText(const clsCard& card)
{
    return std::to_string(card.suit) + "_" + std::to_string(card.facevalue);
}

std::string CardListText(const std::vector<clsCard>& cards)
{
    std::string text;
    for (const auto& card : cards) {
        if (!text.empty()) text += ',';
        text += CardToText(card);
    }
    return text;
}

CardParseResult ParseCard(std::string_view text)
{
    CardParseResult result;
    const std::string_view t = TrimBlanks(text);
    const auto sep = t.find('_');
    if (t.empty() || sep == std::string_view::npos || t.find('_', sep + 1) != std::string_view::npos) {
        result.error = "a card must be written suit_facevalue: " + Quoted(text);
        return result;
    }
    std::int32_t suit = 0;
    std::int32_t face = 0;
    if (!ReadNumber(t.substr(0, sep), suit) || !ReadNumber(t.substr(sep + 1), face)) {
        result.error = "a card must be two numbers joined by _: " + Quoted(text);
        return result;
    }
    if (suit >= SuitCount) {
        result.error = "suit out of range 0..3: " + Quoted(text);
        return result;
    }
    if (face >= FaceCount) {
        result.error = "face value out of range 0..12: " + Quoted(text);
        return result;
    }
    result.ok = true;
    result.card = clsCard(suit, face);
    return result;
}

CardListParseResult ParseCardList(std::string_view text)
{
    CardListParseResult result;
    if (TrimBlanks(text).empty()) {
        result.ok = true;
        return result;
    }
    std::size_t start = 0;
    for (;;) {
        const auto comma = text.find(',', start);
        const auto part = text.substr(start, comma == std::string_view::npos ? text.npos : comma - start);
        auto one = ParseCard(part);
        if (!one.ok) {
            result.error = "card " + std::to_string(result.cards.size() + 1) + " of the list: " + one.error;
            result.cards.clear();
            return result;
        }
        result.cards.push_back(one.card);
        if (comma == std::string_view::npos) break;
        start = comma + 1;
    }
    result.ok = true;
    return result;
}

} // namespace scrivo

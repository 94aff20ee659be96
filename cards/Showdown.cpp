#include "cards/Showdown.h"

#include "cards/CardNames.h"
#include "settings/Language.h"
#include "settings/TextIds.h"

namespace scrivo {

ShowdownResult EvaluateShowdown(const colHand& hole, const colHand& board, const Language& language)
{
    const colHand best = BestHand(hole, board);
    const HandRank rank = RankHand(best);
    ShowdownResult result;
    result.Score = BestScore(hole, board);
    result.Description = DescribeHand(rank, best, language);
    result.BestCards = CardListText(best.Cards());
    return result;
}

namespace {

// A hand name of the language, or the English one where the language file
// has none.
std::string Named(const Language& language, MsgId id, const char* english, const std::string& a,
                  const std::string& b = {})
{
    // Filled in one pass, so that a face that is missing leaves no marker.
    const std::string& text = language.LangText[id];
    std::string out;
    for (const char c : text.empty() ? std::string(english) : text) {
        if (c == '%')
            out += a;
        else if (c == '$')
            out += b;
        else
            out += c;
    }
    return out;
}

} // namespace

std::string DescribeHand(const HandRank& rank, const colHand& hand, const Language& language)
{
    const std::int32_t high = rank.HighCard;
    const auto face = [&](std::int32_t f) { return FaceName(language, f); };
    const auto faces = [&](std::int32_t f) { return FaceNamePlural(language, f); };
    switch (rank.Category) {
    case 0:
        return Named(language, Msg::HandHigh, "% high", face(high));
    case 1:
        return Named(language, Msg::HandPair, "One Pair (%)", faces(high));
    case 2:
        return Named(language, Msg::HandTwoPairs, "Two Pairs (% and $)", faces(high),
                     faces(hand.Item(2).facevalue));
    case 3:
        return Named(language, Msg::HandThree, "Three of a kind (%)", faces(high));
    case 4:
        return Named(language, Msg::HandStraight, "Straight (% high)", face(high));
    case 5:
        return Named(language, Msg::HandFlush, "Flush (% high)", face(high));
    case 6: {
        // Position 3 always belongs to the three; the group with the higher
        // face is named first.
        const std::int32_t f1 = hand.Item(1).facevalue;
        const std::int32_t three = hand.Item(3).facevalue;
        const std::int32_t pair = f1 != three ? f1 : hand.Item(5).facevalue;
        if (three > pair)
            return Named(language, Msg::HandFullThreeFirst, "Full House (Three % and Two $)", faces(three),
                         faces(pair));
        return Named(language, Msg::HandFullTwoFirst, "Full House (Two % and Three $)", faces(pair),
                     faces(three));
    }
    case 7:
        return Named(language, Msg::HandFour, "Four of a kind (%)", faces(high));
    case 8:
        return Named(language, Msg::HandStraightFlush, "Straight Flush (% high)", face(high));
    default:
        return {};
    }
}

} // namespace scrivo

#include "cards/Showdown.h"

#include "cards/CardNames.h"

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

std::string DescribeHand(const HandRank& rank, const colHand& hand, const Language& language)
{
    const std::int32_t high = rank.HighCard;
    switch (rank.Category) {
    case 0:
        return FaceName(language, high) + " high";
    case 1:
        return "One Pair (" + FaceNamePlural(language, high) + ")";
    case 2:
        return "Two Pairs (" + FaceNamePlural(language, high) + " and " +
               FaceNamePlural(language, hand.Item(2).facevalue) + ")";
    case 3:
        return "Three of a kind (" + FaceNamePlural(language, high) + ")";
    case 4:
        return "Straight (" + FaceName(language, high) + " high)";
    case 5:
        return "Flush (" + FaceName(language, high) + " high)";
    case 6: {
        // Position 3 always belongs to the three; the group with the higher
        // face is named first.
        const std::int32_t f1 = hand.Item(1).facevalue;
        const std::int32_t three = hand.Item(3).facevalue;
        const std::int32_t pair = f1 != three ? f1 : hand.Item(5).facevalue;
        if (three > pair)
            return "Full House (Three " + FaceNamePlural(language, three) + " and Two " +
                   FaceNamePlural(language, pair) + ")";
        return "Full House (Two " + FaceNamePlural(language, pair) + " and Three " +
               FaceNamePlural(language, three) + ")";
    }
    case 7:
        return "Four of a kind (" + FaceNamePlural(language, high) + ")";
    case 8:
        return "Straight Flush (" + FaceName(language, high) + " high)";
    default:
        return {};
    }
}

} // namespace scrivo

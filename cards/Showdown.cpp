#include "cards/Showdown.h"

#include "cards/CardNames.h"

namespace scrivo {

ShowdownResult EvaluateShowdown(const colHand& hole, const colHand& board)
{
    const colHand best = BestHand(hole, board);
    const HandRank rank = RankHand(best);
    ShowdownResult result;
    result.Score = BestScore(hole, board);
    result.Description = DescribeHand(rank, best);
    result.BestCards = CardListText(best.Cards());
    return result;
}

std::string DescribeHand(const HandRank& rank, const colHand& hand)
{
    const std::int32_t high = rank.HighCard;
    switch (rank.Category) {
    case 0:
        return FaceName(high) + " high";
    case 1:
        return "One Pair (" + FaceNamePlural(high) + ")";
    case 2:
        return "Two Pairs (" + FaceNamePlural(high) + " and " + FaceNamePlural(hand.Item(2).facevalue) + ")";
    case 3:
        return "Three of a kind (" + FaceNamePlural(high) + ")";
    case 4:
        return "Straight (" + FaceName(high) + " high)";
    case 5:
        return "Flush (" + FaceName(high) + " high)";
    case 6: {
        // Position 3 always belongs to the three; the group with the higher
        // face is named first.
        const std::int32_t f1 = hand.Item(1).facevalue;
        const std::int32_t three = hand.Item(3).facevalue;
        const std::int32_t pair = f1 != three ? f1 : hand.Item(5).facevalue;
        if (three > pair)
            return "Full House (Three " + FaceNamePlural(three) + " and Two " + FaceNamePlural(pair) + ")";
        return "Full House (Two " + FaceNamePlural(pair) + " and Three " + FaceNamePlural(three) + ")";
    }
    case 7:
        return "Four of a kind (" + FaceNamePlural(high) + ")";
    case 8:
        return "Straight Flush (" + FaceName(high) + " high)";
    default:
        return {};
    }
}

} // namespace scrivo

#include "cards/CardNames.h"

#include "settings/Language.h"

namespace scrivo::modCards {

namespace {
constexpr int FirstSuitName = 52;
constexpr int FirstFaceName = 56;
constexpr int FirstPluralName = 69;
constexpr int CardTextMessage = 93;
} // namespace

std::string SuitName(std::int32_t suit)
{
    if (suit < 0 || suit >= SuitCount) return {};
    return LangText[FirstSuitName + suit];
}

std::string FaceName(std::int32_t facevalue)
{
    if (facevalue < 0 || facevalue >= FaceCount) return {};
    return LangText[FirstFaceName + facevalue];
}

std::string FaceNamePlural(std::int32_t facevalue)
{
    if (facevalue < 0 || facevalue >= FaceCount) return {};
    return LangText[FirstPluralName + facevalue];
}

std::string CardText(const clsCard& card)
{
    return FormatText(CardTextMessage, FaceName(card.facevalue), SuitName(card.suit));
}

} // namespace scrivo::modCards

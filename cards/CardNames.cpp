#include "cards/CardNames.h"

#include "settings/Language.h"

namespace scrivo::modCards {

namespace {
constexpr int FirstSuitName = 52;
constexpr int FirstFaceName = 56;
constexpr int FirstPluralName = 69;
constexpr int CardTextMessage = 93;
} // namespace

std::string SuitName(const Language& language, std::int32_t suit)
{
    if (suit < 0 || suit >= SuitCount) return {};
    return language.LangText[FirstSuitName + suit];
}

std::string FaceName(const Language& language, std::int32_t facevalue)
{
    if (facevalue < 0 || facevalue >= FaceCount) return {};
    return language.LangText[FirstFaceName + facevalue];
}

std::string FaceNamePlural(const Language& language, std::int32_t facevalue)
{
    if (facevalue < 0 || facevalue >= FaceCount) return {};
    return language.LangText[FirstPluralName + facevalue];
}

std::string CardText(const Language& language, const clsCard& card)
{
    return language.FormatText(CardTextMessage, FaceName(language, card.facevalue),
                               SuitName(language, card.suit));
}

} // namespace scrivo::modCards

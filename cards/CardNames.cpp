#include "cards/CardNames.h"

#include "settings/Language.h"
#include "settings/TextIds.h"

namespace scrivo::modCards {

std::string SuitName(const Language& language, std::int32_t suit)
{
    if (suit < 0 || suit >= SuitCount) return {};
    return language.LangText[Msg::SuitFirst + suit];
}

std::string FaceName(const Language& language, std::int32_t facevalue)
{
    if (facevalue < 0 || facevalue >= FaceCount) return {};
    return language.LangText[Msg::FaceFirst + facevalue];
}

std::string FaceNamePlural(const Language& language, std::int32_t facevalue)
{
    if (facevalue < 0 || facevalue >= FaceCount) return {};
    return language.LangText[Msg::FacePluralFirst + facevalue];
}

std::string CardText(const Language& language, const clsCard& card)
{
    return language.FormatText(Msg::CardName, FaceName(language, card.facevalue),
                               SuitName(language, card.suit));
}

} // namespace scrivo::modCards

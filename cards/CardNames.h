#pragma once

#include <cstdint>
#include <string>

#include "cards/Card.h"

namespace scrivo {

class Language;

// Localised card names from the loaded language texts. They live in their own
// namespace because the settings flag of the same name (show cards as text)
// is Settings::CardText.
namespace modCards {

// Suit name for suit 0..3, else empty.
std::string SuitName(const Language& language, std::int32_t suit);
// Face name for face value 0..12 (two .. ace), else empty.
std::string FaceName(const Language& language, std::int32_t facevalue);
// Plural face name ("Kings") for face value 0..12, else empty.
std::string FaceNamePlural(const Language& language, std::int32_t facevalue);
// The card in words: message 93 with the face name and the suit name.
std::string CardText(const Language& language, const clsCard& card);

} // namespace modCards

using modCards::FaceName;
using modCards::FaceNamePlural;
using modCards::SuitName;

} // namespace scrivo

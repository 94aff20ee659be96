#pragma once

#include <string_view>

#include <gtest/gtest.h>

#include "cards/Hand.h"
#include "settings/Language.h"
#include "settings/Settings.h"

namespace scrivo::cardstest {

// A hand from card list text ("0_0,2_11"); fails the test on bad text.
inline colHand HandOf(std::string_view cards)
{
    const auto parsed = ParseCardList(cards);
    EXPECT_TRUE(parsed.ok) << parsed.error;
    return colHand(parsed.cards);
}

// The English texts shipped beside the program, loaded afresh for each test.
class EnglishTexts : public ::testing::Test {
protected:
    void SetUp() override { language.ReadLanguageFile("Lang_English.ini", settings); }

    Settings settings;
    Language language;
};

} // namespace scrivo::cardstest

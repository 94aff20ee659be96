#pragma once

#include <array>
#include <string>
#include <string_view>

#include <gtest/gtest.h>

#include "cards/Hand.h"

namespace scrivo::cardstest {

// A hand from card list text ("0_0,2_11"); fails the test on bad text.
colHand HandOf(std::string_view cards);

// Fills the card names of the language table with English words
// ("Two" .. "Ace", "Twos" .. "Aces", suits, "% of $"), restoring the old
// table afterwards.
class EnglishCardNames : public ::testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;

private:
    std::array<std::string, 101> m_saved;
};

} // namespace scrivo::cardstest

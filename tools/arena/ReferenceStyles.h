#pragma once

#include <string>

#include "engine/StrongBot.h"

namespace scrivo {

class Random;

namespace arena {

// Opponents of styles people play, each written plainly from its
// description. They see what a player sees (their own cards, the board, the
// money and the actions) and read nothing the table keeps about the others.
// Each returns a request like StrongDecide's.

// Checks when it can and calls every bet; never raises, never folds.
std::string StationDecide(const BotSituation& s, Random& random);
// Raises nearly every turn, often all in; calls when it may not raise.
std::string ManiacDecide(const BotSituation& s, Random& random);
// Tight-aggressive: a fixed starting-hand chart by position before the flop,
// after it bets made hands and calls when its chance against random hands
// beats the pot odds.
std::string TagDecide(const BotSituation& s, Random& random);

} // namespace arena
} // namespace scrivo

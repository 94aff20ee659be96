#pragma once

#include <string>

#include "engine/StrongBot.h"

namespace scrivo {
class Random;
}

namespace scrivo::test {

// A turn a table could give a bot, drawn at random: 2 to 9 players dealt in,
// any street, levels from the big blind to deep raises, cash from less than
// the call to hundreds of big blinds, opponents live, folded or all in with
// any history. Every amount is whole cents and the pot holds every stake.
BotSituation RandomSituation(Random& random, const std::string& gameType);

} // namespace scrivo::test

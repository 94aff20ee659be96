#pragma once

#include <string>
#include <vector>

#include "gamefolder/TableOptions.h"
#include "platform/Currency.h"

namespace scrivo {

// How a computer player plays: the classic bots, or the stronger ones that
// weigh their chances against what the others did.
enum class BotLevel { Classic, Strong };

// The game one client sits at: made when the client creates or joins a game
// and owned by the table that plays it. Several sessions may live in one
// process, each with its own table.
struct GameSession {
    std::string GameFolder; // full path, no trailing separator
    std::string GameName;
    std::string GameType; // "THLI", "THPL" or "THNL"
    int MyPlayerNo = 0;   // 1 for the creator
    bool IsHost = false;
    int BotCount = 0;
    Currency MyCash;
    // The level of each seat the host plays by itself, by player number:
    // bots, and the host's own seat when a tool lets it play. Seats beyond
    // the end play Classic; the host's table alone reads it.
    std::vector<BotLevel> BotLevels;
    // Host only: seconds a player has for a turn (0: no limit), and the order
    // the pack is dealt in for reproducing a hand (card-list text; empty:
    // shuffled).
    int TurnSeconds = 0;
    std::string Deck;
    // The betting rules of the game, as its folder says.
    HandRules Rules = HandRules::Standard;
    // The poll interval, which the host's lease must outlast, and how long
    // the shared folder may stay out of reach before the game ends.
    int PollMilliseconds = 1500;
    int OutageLimitSeconds = 600;
    // The table deals and takes requests so that no one reads another's
    // cards or acts in another's seat (see privacy/). SigningKeyFile keeps
    // the player's signing keys, so that he can prove a seat his again; an
    // empty name gives keys for this session alone.
    bool Protected = false;
    std::string SigningKeyFile;
    // Joined under the name of a seat whose player had gone: back in it.
    bool Rejoined = false;
};

} // namespace scrivo

#pragma once

#include <array>
#include <string>
#include <vector>

#include "cards/Card.h"
#include "engine/hand/Betting.h"
#include "platform/Currency.h"

namespace scrivo {

class Random;

// What one opponent has done so far in the current hand. Blinds are not
// actions; an all-in counts as the bet, raise or call that it was.
struct HandActions {
    int preFlopRaises = 0; // bets and raises before the flop
    int preFlopCalls = 0;  // calls before the flop, limps included
    int laterBets = 0;     // bets and raises on the flop, turn and river
    int laterCalls = 0;
    int laterChecks = 0;
};

// What the table has seen of one seat in the earlier hands of the game. All
// zero for a seat nothing is known about; the bot then assumes an average
// player.
struct SeatHistory {
    int handsDealt = 0;
    int handsPlayed = 0; // hands in which it put chips in before the flop beyond its blind
    int betsFaced = 0;   // times it had to answer a bet or raise
    int foldsToBets = 0; // ... and folded
    int handsRaised = 0; // hands in which it bet or raised before the flop
    int shoves = 0;      // hands in which it went all in with a raise before the flop
    int showdowns = 0;   // hands it played to the showdown
};

// Positions count the seats after the dealer among the players dealt in:
// 0 the dealer, 1 the small blind, 2 the big blind (the dealer posts the big
// blind heads-up), and so on round the table.
struct BotOpponent {
    bool live = false; // still in the hand: not folded, not out; all in counts
    bool allIn = false;
    Currency cash;  // not yet put in
    Currency stake; // put in this hand, blinds included
    int position = 0;
    HandActions did;
    SeatHistory history;
};

// Everything the bot may know when it is its turn: its own cards, the board,
// the money and the other players' visible behaviour. `stake` and `level`
// are counted over the whole hand, like the table counts them: the bot must
// put in `level` - `stake` to stay in.
struct BotSituation {
    std::array<clsCard, 2> hole;
    std::vector<clsCard> board; // 0, 3, 4 or 5 cards
    Currency pot;               // everything in the middle, this round's bets included
    Currency stake;             // own money put in this hand
    Currency level;             // the stake every player must reach
    Currency lastRaise;         // the largest single amount put in by one request this round
    Currency bigBlind;
    Currency cash; // own money not yet put in
    int position = 0;
    int dealtIn = 2; // players dealt in this hand, the bot included
    std::vector<BotOpponent> opponents;
    std::string gameType = "THNL"; // "THLI", "THPL" or "THNL"
    bool bigBet = false;           // limit: the fourth board card is on show
    // The table's rules and what they know of this round (see BetLimits).
    HandRules rules = HandRules::Standard;
    bool mayRaise = true;
    int betsThisRound = -1;
    int playersInHand = 0;
};

// The betting as the rules see it from the bot's seat.
BetLimits LimitsOf(const BotSituation& situation);

// Random deals simulated per decision, at most: fewer when many opponents'
// hands must be picked, so that a crowded table takes no longer.
inline constexpr int StrongTrials = 1500;

// The bot's request for its turn: "F", "C" (check; only when nothing is to
// call) or "R" and an amount (a call, bet, raise or all in). Amounts keep the
// limits command entry holds a human to: in limit exactly the limit amount
// (or all in when the cash is less); in pot limit at most the pot; a raise
// adds at least the last raise and at least the big blind (unless all in);
// never more than the cash. Draws from `random` only, so a seeded generator
// repeats its decisions.
std::string StrongDecide(const BotSituation& situation, Random& random, int trials = StrongTrials);

// The bot's share of the pot at the showdown against the live opponents,
// their cards drawn from what their actions suggest, from up to `trials`
// random deals. Ties count shared. 0 when the cards cannot be (out of range
// or seen twice).
double StrongEquity(const BotSituation& situation, Random& random, int trials);

// Where two hole cards stand among the 1326 starting hands: the share of
// hands that are better, 0 for a pair of aces and about 0.99 for seven-two
// offsuit.
double StartingHandRank(const clsCard& a, const clsCard& b);

} // namespace scrivo

#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

#include "cards/Card.h"
#include "engine/hand/Betting.h"
#include "platform/Currency.h"

namespace scrivo {

// The rules of one hand of Hold'em as a machine: a value holding the hand,
// and one function that takes an event (the start of a hand, a request, a
// time-out, a player leaving) and says what follows. It reads no file, no
// clock and no random generator: the pack order and the time-outs are given.
// The host's table, the bots and the tests ask it what is legal and what
// happens; the table stores and announces what it returns.

enum class Street : std::uint8_t { PreFlop, Flop, Turn, River, Showdown };

struct HandConfig {
    HandRules rules = HandRules::Standard;
    std::string gameType = "THNL"; // "THLI", "THPL", "THNL"
    Currency smallBlind;
    Currency bigBlind;
};

// One seat during a hand. Seats are numbered from 1 as the players are.
struct HandSeat {
    bool dealt = false; // dealt into this hand
    bool folded = false;
    bool allIn = false;
    bool left = false;  // left the table during the hand: folded, chips stay in
    Currency stack;     // not yet put in
    Currency round;     // put in during this betting round
    Currency total;     // put in during this hand
    bool acted = false; // has answered the current level of this round
    RoundAction last;   // for the rule that a short all in does not reopen
    std::string blind;  // "SB", "BB" or empty
    std::array<clsCard, 2> hole{};

    bool Active() const { return dealt && !folded && !allIn; }
    bool InHand() const { return dealt && !folded; }
};

// A pot as the hand ends: its chips and the seats that may win it.
struct HandPot {
    Currency amount;
    std::vector<int> eligible;
};

struct HandState {
    HandConfig config;
    std::vector<HandSeat> seats; // index 0 unused
    int button = 0;
    int smallBlindSeat = 0;
    int bigBlindSeat = 0;
    Street street = Street::PreFlop;
    bool started = false;
    bool over = false;
    int toAct = 0;      // 0: nobody (between streets or after the hand)
    Currency level;     // the highest round stake
    Currency lastRaise; // see BetLimits::lastRaise
    int bets = 0;       // bets and raises this round, for the limit cap
    std::vector<clsCard> pack;
    std::size_t nextCard = 0;
    std::vector<clsCard> board;      // 0, 3, 4 or 5 cards
    std::vector<clsCard> givenBoard; // see StartEvent::board

    int SeatCount() const { return static_cast<int>(seats.size()) - 1; }
    const HandSeat& Seat(int p) const { return seats[static_cast<std::size_t>(p)]; }
    HandSeat& Seat(int p) { return seats[static_cast<std::size_t>(p)]; }
};

// ---------------------------------------------------------------- events

struct StartSeat {
    bool playing = false; // has chips and has not left
    Currency stack;
};
struct StartEvent {
    HandConfig config;
    std::vector<StartSeat> seats; // index 0 unused
    int button = 1;
    std::vector<clsCard> pack; // dealt from the front; at least the cards the hand needs
    // A replay of a recorded hand knows the board but not the burnt cards:
    // when given, the board comes from here in order and nothing is burnt.
    // The hole cards still come from the front of the pack, two a seat in
    // seat order.
    std::vector<clsCard> board;
};
enum class RequestKind : std::uint8_t { Fold, Check, PutIn };
struct RequestEvent {
    int seat = 0;
    RequestKind kind = RequestKind::Check;
    Currency amount; // PutIn: what goes in now (a call, bet, raise or all in)
};
// The seat's time ran out: it checks when nothing is due, else folds.
struct TimeoutEvent {
    int seat = 0;
};
// The seat left the table: it folds, its chips stay in the pot.
struct LeaveEvent {
    int seat = 0;
};
using HandEvent = std::variant<StartEvent, RequestEvent, TimeoutEvent, LeaveEvent>;

// ---------------------------------------------------------------- effects

enum class EffectKind : std::uint8_t {
    Blind,     // seat posts amount (allIn when that was all it had); small tells which
    HoleCards, // seat is dealt cards
    Check,
    Call,     // seat puts in amount, not above the level, to `to` for the hand (allIn when all it had)
    BetRaise, // seat puts in amount, raising its stake for the hand to `to`
    Fold,     // (timedOut / left say why)
    Board,    // cards for `street`; runOut when the rest of the board comes at once
    Return,   // amount nobody called goes back to seat
    Pot,      // pot number `pot` (1 main) of amount is settled among `seats`
    Show,     // seat shows cards at the showdown for pot `pot`; score ranks them
    Win,      // seat wins amount from pot `pot`
    Turn,     // seat is asked to act
    HandOver,
};

struct HandEffect {
    EffectKind kind = EffectKind::HandOver;
    int seat = 0;
    Currency amount;
    Currency to;
    bool allIn = false;
    bool small = false;
    bool timedOut = false;
    bool left = false;
    bool runOut = false;
    Street street = Street::PreFlop;
    int pot = 0;
    int winners = 0;
    double score = 0.0;
    std::vector<clsCard> cards;
    std::vector<int> seats;
};

struct HandStep {
    RequestFault fault = RequestFault::None; // a refused event changes nothing
    std::vector<HandEffect> effects;
    bool Accepted() const { return fault == RequestFault::None; }
};

// Applies the event to the hand. A refused event leaves the state as it was
// and says why; events for a hand that is over are refused as NotYourTurn.
HandStep Apply(HandState& state, const HandEvent& event);

// ---------------------------------------------------------------- queries

// What the seat sees of the betting now (whether or not it has the turn).
BetLimits LimitsFor(const HandState& state, int seat, const std::string& currencySymbol = {});
// Everything in the middle.
Currency PotTotal(const HandState& state);
// The stake for the hand every player still betting must reach.
Currency HandLevel(const HandState& state);
// The request a seat's Action carries for an event ("C", "F", "R12.5"), and
// back; nothing for text that is no request.
std::string RequestText(const RequestEvent& request);
std::optional<RequestEvent> ParseRequest(int seat, std::string_view text);
// The seat to act first after the button on later streets, and the seat
// after `from` that is still betting; 0 when there is none.
int NextActive(const HandState& state, int from);
// Cards the hand may need: two a seat, three burns and five board cards.
int CardsNeeded(int seatsDealt);

} // namespace scrivo

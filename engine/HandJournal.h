#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "engine/hand/HandMachine.h"
#include "gamefolder/Journal.h"

namespace scrivo {

class Language;

// The journal record of one effect of the rules machine, for hand `hand`;
// nothing for what the journal leaves out (hole cards, whose turn it is,
// the end of the hand, which the host writes with the stacks).
std::optional<JournalRecord> EffectRecord(const HandEffect& effect, std::uint32_t hand);
// The records that close a hand: every dealt seat's stack, then the end.
std::vector<JournalRecord> HandEndRecords(const HandState& state, std::uint32_t hand);
// A hand id that no other hand of any game is likely to carry: the time in
// the high bits, entropy below.
std::int64_t NewHandId(std::int64_t utcSeconds, std::uint64_t entropy);

// One hand as the journal tells it.
struct JournalHand {
    std::uint32_t number = 0;
    std::int64_t id = 0;
    std::int64_t time = 0; // UTC seconds
    int button = 0;
    std::vector<JournalRecord> seats;  // Seat records
    std::vector<JournalRecord> events; // everything after the seats, End included
    bool complete = false;             // ends with End, nothing out of place
    bool damaged = false;              // a record of another hand, or a seat twice, in between

    const JournalRecord* SeatRecord(int seat) const;
    std::string Name(int seat) const;
};

struct JournalGame {
    std::optional<JournalRecord> table;
    std::vector<JournalHand> hands;
    std::int64_t damagedBytes = 0;
};

// Groups the records of a journal into hands. Hands are kept in the order
// they begin; records outside a hand are dropped.
JournalGame GroupJournal(const std::vector<JournalRecord>& records);

// What a replay of a hand through the rules found.
struct HandVerdict {
    enum class Problem {
        None,
        Incomplete,  // the journal of the hand stops early or is damaged
        Illegal,     // an action the rules refuse (seat)
        PaidTooMuch, // seat was paid amount more than the rules give
        PaidTooLittle,
        StackOff, // seat ends with amount more or less than the rules give
        Differs,  // any other record differs from what the rules give
    };
    Problem problem = Problem::None;
    int seat = 0;
    Currency amount;
    std::string detail; // English, for tools: which record, which fault

    bool Ok() const { return problem == Problem::None; }
};

// Replays the hand through the same rules machine the host runs, with the
// board and the shown cards the journal holds, and checks that every action
// was allowed and every blind, board, return, pot, show, payout and end
// stack is exactly what the rules give.
HandVerdict VerifyHand(const JournalRecord& table, const JournalHand& hand);

// A client's check of its host as the journal grows: records go in as they
// are read, and every hand they close comes back with its verdict.
class JournalWatch {
public:
    struct Checked {
        JournalHand hand;
        HandVerdict verdict;
    };
    std::vector<Checked> Take(const std::vector<JournalRecord>& records);

private:
    void Finish(std::vector<Checked>& out);
    std::optional<JournalRecord> m_table;
    std::vector<JournalRecord> m_open; // the records of the hand going on
};

// The player's line for a hand that does not add up, in the language given.
std::string VerdictLine(const HandVerdict& verdict, const JournalHand& hand, const Language& language,
                        const std::string& currencySymbol);

} // namespace scrivo

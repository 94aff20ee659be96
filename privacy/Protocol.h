#pragma once

// The course of a protected hand as every participant reads it from the
// records of the exchange, and what each participant owes it.
//
// The host announces a hand (Deal): the seats dealt in and, for each, the
// participant whose cards they are (a player his own, the host's bots the
// host's). The participants then shuffle in turn, the host last, and at
// once take their layers off the hole cards of the others, the host first
// (the first reveal). For the board and the showdown the host asks for
// further reveals (Open); after the hand (End) every participant publishes
// its key of the hand, and every reader checks every pass and every layer.
//
// Nothing here reads a file or a clock: the table feeds the records in file
// order and writes what Participant::Step returns.
#include <array>
#include <cstdint>
#include <deque>
#include <map>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "privacy/Crypto.h"
#include "privacy/Exchange.h"

namespace scrivo::privacy {

// Card number (0 to 51) of a suit and a face value, and back.
constexpr int CardNumber(int suit, int face)
{
    return suit * 13 + face;
}

struct HandPlan {
    std::int64_t hand = 0;
    int number = 0; // the hand's number at the table
    int host = 0;
    std::vector<std::pair<int, int>> dealt; // seat and owning participant, in seat order
    std::vector<int> passOrder;             // participants, the host last
    std::vector<int> revealOrder;           // the same, the host first

    std::string Tag() const { return HandTag(hand); }
    // Pack position of the seat's hole card i (0 or 1); -1 when not dealt.
    int HolePosition(int seat, int i) const;
    // The five board cards' positions (after the burns).
    std::array<int, 5> BoardPositions() const;
    int OwnerOf(int seat) const;
    bool Participates(int seat) const;
};

// "seat:owner seat:owner ..." as a Deal record carries it.
std::string PlanText(const std::vector<std::pair<int, int>>& dealt);
// None for text that is no plan: a seat or owner out of range or twice,
// seats out of order, fewer than two seats, an owner not dealt himself
// unless he is the host.
std::optional<HandPlan> ParsePlan(std::int64_t hand, int number, int host, std::string_view text);

// Positions as an Open record carries them ("12 13 14").
std::string PositionsText(const std::vector<int>& positions);
std::optional<std::vector<int>> ParsePositions(std::string_view text);

// A request or chat line of a seat's player, and where it stood in the file.
struct SignedLine {
    std::int64_t index = 0;
    int seat = 0;
    std::int64_t hand = 0;
    int step = 0;
    std::string text;
};

// A line of the message file as one participant vouched for it.
struct VouchedLine {
    std::int64_t record = 0; // the line's record number in the message file
    int seat = 0;            // who vouched for it
    bool byHost = false;     // the seat was the host when the record was taken
    Bytes32 digest{};        // of the line's text as a reader gets it

    bool Matches(const std::string& text) const { return digest == TextDigest(text); }
};

// Unsigned Lines records for lines stored at the given record numbers (in
// any order): as few records as their numbers allow.
std::vector<ExchangeRecord> LinesRecords(std::vector<std::pair<std::int64_t, std::string>> lines);

struct HandExchange {
    HandPlan plan;
    std::vector<std::vector<Point>> passes; // in pass order
    std::vector<Reveal> reveals;            // [0] the hole cards to their owners
    Chains chains;
    std::map<int, Key> keys;
    bool ended = false;
    bool voided = false;

    bool Shuffled() const { return passes.size() == plan.passOrder.size(); }
    const std::vector<Point>& Pack() const { return passes.back(); }
    bool RevealDone(std::size_t i) const;
    // Every reveal asked for is done.
    bool Settled() const;
    // The participant the hand waits for (the next to shuffle, or the next
    // to take a layer off), 0 when it waits for nobody.
    int WaitingFor() const;
    // Every participant's key is out.
    bool KeysComplete() const;
};

// What a reader knows of the exchange. Records are taken in file order;
// one that does not fit (no valid signature of its seat's key, out of turn,
// wrong hand, not what the writer owes) changes nothing.
class ExchangeBook {
public:
    enum class Taken { Used, Ignored };

    // Whose Deal, Open and End records count: the table's host.
    void SetHost(int seat) { m_host = seat; }
    int Host() const { return m_host; }

    // index: the record's place in the file from 0; -1 for a record of
    // one's own taken before it is written.
    Taken Take(const ExchangeRecord& record, std::int64_t index);

private:
    Taken TakeSigned(const ExchangeRecord& record, std::int64_t index);

public:
    // The seat's key, fixed by the first Seat record of the seat.
    std::optional<Bytes32> SeatKey(int seat) const;
    const HandExchange* Current() const { return m_hands.empty() ? nullptr : &m_hands.back(); }
    const HandExchange* Find(std::int64_t hand) const;
    // Hands kept, the latest last (a few, for keys arriving late).
    const std::deque<HandExchange>& Hands() const { return m_hands; }

    // The latest request of seat in hand written at or after index `from`
    // with a step above `after`.
    std::optional<SignedLine> RequestOf(int seat, std::int64_t hand, std::int64_t from, int after) const;
    // Chat lines from index `from` on.
    std::vector<SignedLine> ChatsFrom(std::int64_t from) const;
    // The lines vouched for since the last call.
    std::vector<VouchedLine> TakeVouched();
    // Seats whose player signed his leaving the table.
    const std::set<int>& Leavers() const { return m_leavers; }
    // The file index of the last record of seat's that was used; -1 when none.
    std::int64_t LastUsed(int seat) const
    {
        const auto at = m_lastUsed.find(seat);
        return at == m_lastUsed.end() ? -1 : at->second;
    }
    // One past the highest index taken.
    std::int64_t End() const { return m_end; }

private:
    HandExchange* FindMutable(std::int64_t hand);
    bool TakeLayers(HandExchange& h, const ExchangeRecord& r);
    void TakeOffPublishedLayers(HandExchange& h);

    int m_host = 1;
    std::map<int, Bytes32> m_seatKeys;
    std::deque<HandExchange> m_hands;
    std::vector<SignedLine> m_requests;
    std::vector<SignedLine> m_chats;
    std::vector<VouchedLine> m_vouched;
    std::set<int> m_leavers;
    std::map<int, std::int64_t> m_lastUsed;
    std::int64_t m_end = 0;
};

// One participant of a protected table: its signing keys and its secret
// key of each hand.
class Participant {
public:
    Participant(int seat, SigningKeys keys) : m_seat(seat), m_keys(keys) {}
    int Seat() const { return m_seat; }
    const SigningKeys& Keys() const { return m_keys; }

    // The records due from this participant now, signed, each already taken
    // into book: its pass, its layers of a reveal whose turn is its own, its
    // key of an ended hand. A participant takes its layer off its own cards
    // for everybody only when the whole board is, or is being, uncovered.
    std::vector<ExchangeRecord> Step(ExchangeBook& book);

    // Card numbers at positions of the current hand this participant can
    // see now: the bare ones, and its own under its last layer.
    std::optional<int> CardAt(const ExchangeBook& book, int position) const;
    // A record of this participant, signed.
    ExchangeRecord Signed(ExchangeRecord record) const;

    // The participant's key of a hand, when it took part.
    std::optional<Key> KeyOf(std::int64_t hand) const;
    // Its key of the current hand for a participant who leaves during it,
    // so that the others uncover the cards without him; none when it has
    // no part in a hand under way.
    std::optional<ExchangeRecord> LeavingKey(const ExchangeBook& book);

private:
    int m_seat = 0;
    SigningKeys m_keys;
    std::map<std::int64_t, Key> m_handKeys;
    std::set<std::int64_t> m_keysOut;
};

// The check of a hand once keys are out: seats whose pass or layer does not
// match their key. Participants without a published key are not named (a
// participant that went away is not a cheat); none when nothing can be
// checked yet.
std::optional<Audit> CheckHand(const HandExchange& hand);

} // namespace scrivo::privacy

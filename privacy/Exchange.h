#pragma once

// What the participants of a protected table publish to each other, one
// fixed-length record each, signed by its writer; and the arithmetic of a
// hand built from such records. The records are meant for a file of the
// game that anyone can write: a reader trusts only what decodes within its
// ranges and carries the signature of the seat it names.
#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "privacy/Crypto.h"

namespace scrivo::privacy {

inline constexpr int ExchangeRecordLength = 2048; // the game folder's xch.spk holds such records
inline constexpr int MaxExchangeText = 120;
inline constexpr int MaxSeat = 9;

enum class ExchangeKind : std::uint8_t {
    Seat = 1,    // a seat's signing key (extra), fixed when the seat is taken
    Pass = 2,    // a shuffle pass: all 52 points in pack order
    Layers = 3,  // points with the writer's layer removed, by pack position
    Request = 4, // a request of the seat's player (text), numbered by step
    Chat = 5,    // a chat line (text)
    HandKey = 6, // the writer's key of the hand (extra), at its end or when the writer leaves it
    Deal = 7,    // the host: a new hand (text: the seats dealt in and whose they are; step: its number)
    Open = 8,    // the host: positions to uncover for everybody (text), numbered by step
    End = 9,     // the host: the hand is over (text "void" when it was voided)
    Lines = 10,  // lines the writer stored in the message file (hand: the first line's record
                 // number; points: each line's offset from it and the digest of its text)
};

struct ExchangeRecord {
    ExchangeKind kind = ExchangeKind::Seat;
    std::int64_t hand = 0; // the hand's id; 0 where no hand is meant
    int seat = 0;          // the writer's seat, 1 to 9
    int step = 0;          // Pass: its place in the order; Layers: the reveal step; Request: its number
    std::vector<std::pair<int, Point>> points; // pack position and point
    std::string text;
    Bytes32 extra{};
    Signature signature{};

    bool operator==(const ExchangeRecord&) const = default;
};

// The bytes a signature covers: everything but the signature.
std::string SignedBytes(const ExchangeRecord& record);
std::string EncodeExchangeRecord(const ExchangeRecord& record);
// None for bytes that are no record: unknown kind, a seat, position or
// count out of range, a text too long or with a NUL, trailing bytes.
std::optional<ExchangeRecord> DecodeExchangeRecord(std::string_view bytes);

void SignRecord(ExchangeRecord& record, const SigningKeys& keys);
bool VerifyRecord(const ExchangeRecord& record, const Bytes32& publicKey);

// The card of a hand as a string, its id made from the hand's number.
std::string HandTag(std::int64_t hand);

// One reveal: the pack positions whose cards are uncovered together, each
// with the participant it is for (0: for everybody, as the board).
struct Reveal {
    std::map<int, int> owners; // position -> owning participant's seat, or 0
};

// A hand's layers as published: per position, in publishing order, the
// writer's seat and the point after its layer came off.
using Chains = std::map<int, std::vector<std::pair<int, Point>>>;

// What participant `me` publishes for a reveal, given the shuffled pack
// and what came before it in the order: the next point of each position
// whose turn is his. Participants take turns in `order`; each passes over
// the positions it owns (it removes that layer for itself alone).
std::vector<std::pair<int, Point>> MyLayers(const Reveal& reveal, const std::vector<Point>& pack,
                                            const Chains& chains, const std::vector<int>& order, int me,
                                            const Key& key);
// Whose turn it is in a reveal (0 when all have published).
int NextInReveal(const Reveal& reveal, const Chains& chains, const std::vector<int>& order);
// The card at position for participant `me` once every other layer is off:
// for his own card he removes his own layer; a card for everybody is bare.
std::optional<int> CardAt(std::string_view tag, int position, const std::vector<Point>& pack,
                          const Chains& chains, int me, const Key& key);

// The hand checked once every key is out: the seats whose pass is not a
// locked permutation of the one before, or whose layer does not match
// their key. passes[i] is the pass of order[i]; keys by seat.
struct Audit {
    std::vector<int> falsifiedPass;
    std::vector<int> wrongLayer;
    bool Clean() const { return falsifiedPass.empty() && wrongLayer.empty(); }
};
Audit AuditHand(std::string_view tag, const std::vector<int>& order,
                const std::vector<std::vector<Point>>& passes, const std::map<int, Key>& keys,
                const Chains& chains);

} // namespace scrivo::privacy

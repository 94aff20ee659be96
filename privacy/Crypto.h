#pragma once

// The pieces of a protected table, each a thin layer over libsodium's
// ristretto255 group and Ed25519 signatures:
//
// - every card of a hand is a point of the group hashed from the hand's id
//   and the card's number, so nobody knows a relation between two of them;
// - every participant locks the whole pack with a secret key of its own
//   (multiplies each point by it) and permutes it; once all have done so,
//   nobody knows the order;
// - a card is seen by removing every layer: each other participant publishes
//   the card with its own layer removed (multiplied by its key's inverse),
//   the card's owner removes the last one himself;
// - at the hand's end every key is published, and each pass and each layer
//   can be checked against it.
//
// Nothing here touches a file or keeps state between calls.
#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace scrivo::privacy {

inline constexpr int PackSize = 52;

using Bytes32 = std::array<std::uint8_t, 32>;

// A point of the group: a card under some set of layers.
struct Point {
    Bytes32 bytes{};
    bool operator==(const Point&) const = default;
};

// A participant's secret for one hand: a nonzero scalar.
struct Key {
    Bytes32 bytes{};
    bool operator==(const Key&) const = default;
};

// False when the library cannot start (no usable random source).
bool Ready();

Key NewKey();
// The key that removes the layer key put on.
Key Inverse(const Key& key);
// True for a scalar that may serve as a key: reduced and not zero.
bool IsKey(const Key& key);

// Card `card` (0 to 51) of the hand with this id, without a layer.
Point CardPoint(std::string_view handId, int card);
// Every card of the hand in card order.
std::vector<Point> OpenPack(std::string_view handId);
// Which card a point without layers is, if any.
std::optional<int> CardOf(std::string_view handId, const Point& point);

// key times point; none when point is not a valid point of the group.
std::optional<Point> Lock(const Key& key, const Point& point);
// The layer of key removed from point.
std::optional<Point> Unlock(const Key& key, const Point& point);

// One participant's pass: every point locked with key, the pack permuted
// with the system's entropy. Empty when a point of pack is not valid.
std::vector<Point> ShufflePass(const std::vector<Point>& pack, const Key& key);

// Whether after is a permutation of before with every point locked by key.
bool CheckPass(const std::vector<Point>& before, const std::vector<Point>& after, const Key& key);
// Whether after is before with the layer of key removed.
bool CheckUnlock(const Point& before, const Point& after, const Key& key);

// A digest of a line of text, for a record that vouches for it.
Bytes32 TextDigest(std::string_view text);

// Ed25519 signatures of records.
struct SigningKeys {
    Bytes32 publicKey{};
    std::array<std::uint8_t, 64> secretKey{};
};
using Signature = std::array<std::uint8_t, 64>;

SigningKeys NewSigningKeys();
Signature Sign(const SigningKeys& keys, std::string_view message);
bool Verify(const Bytes32& publicKey, std::string_view message, const Signature& signature);

// Lower-case hex of bytes, and back (none when text is not exactly that).
std::string ToHex(const std::uint8_t* bytes, std::size_t size);
template <std::size_t N> std::string ToHex(const std::array<std::uint8_t, N>& bytes)
{
    return ToHex(bytes.data(), N);
}
bool FromHex(std::string_view text, std::uint8_t* bytes, std::size_t size);
template <std::size_t N> std::optional<std::array<std::uint8_t, N>> FromHex(std::string_view text)
{
    std::array<std::uint8_t, N> out{};
    if (!FromHex(text, out.data(), N)) return std::nullopt;
    return out;
}

} // namespace scrivo::privacy

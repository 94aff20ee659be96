#include "privacy/Crypto.h"

#include <algorithm>
#include <sodium.h>

namespace scrivo::privacy {

namespace {

// Domain of the card hash, so that no other use of the same hand id can
// produce the same points.
constexpr std::string_view CardDomain = "scrivo card point v1";

} // namespace

bool Ready()
{
    return sodium_init() >= 0;
}

bool IsKey(const Key& key)
{
    // A reduced scalar is its own reduction; zero has no inverse.
    unsigned char wide[crypto_core_ristretto255_NONREDUCEDSCALARBYTES] = {};
    std::copy(key.bytes.begin(), key.bytes.end(), wide);
    unsigned char reduced[crypto_core_ristretto255_SCALARBYTES];
    crypto_core_ristretto255_scalar_reduce(reduced, wide);
    if (!std::equal(key.bytes.begin(), key.bytes.end(), reduced)) return false;
    return !sodium_is_zero(key.bytes.data(), key.bytes.size());
}

Key NewKey()
{
    Ready();
    Key key;
    do {
        crypto_core_ristretto255_scalar_random(key.bytes.data());
    } while (sodium_is_zero(key.bytes.data(), key.bytes.size()));
    return key;
}

Key Inverse(const Key& key)
{
    Key inverse;
    if (crypto_core_ristretto255_scalar_invert(inverse.bytes.data(), key.bytes.data()) != 0) return Key{};
    return inverse;
}

Point CardPoint(std::string_view handId, int card)
{
    unsigned char hash[crypto_core_ristretto255_HASHBYTES];
    crypto_generichash_state state;
    crypto_generichash_init(&state, nullptr, 0, sizeof hash);
    const auto feed = [&](std::string_view part) {
        const auto length = static_cast<std::uint32_t>(part.size());
        const unsigned char size[4] = {
            static_cast<unsigned char>(length), static_cast<unsigned char>(length >> 8),
            static_cast<unsigned char>(length >> 16), static_cast<unsigned char>(length >> 24)};
        crypto_generichash_update(&state, size, sizeof size);
        crypto_generichash_update(&state, reinterpret_cast<const unsigned char*>(part.data()), part.size());
    };
    feed(CardDomain);
    feed(handId);
    const unsigned char number = static_cast<unsigned char>(card);
    crypto_generichash_update(&state, &number, 1);
    crypto_generichash_final(&state, hash, sizeof hash);
    Point point;
    crypto_core_ristretto255_from_hash(point.bytes.data(), hash);
    return point;
}

std::vector<Point> OpenPack(std::string_view handId)
{
    std::vector<Point> pack;
    pack.reserve(PackSize);
    for (int card = 0; card < PackSize; ++card)
        pack.push_back(CardPoint(handId, card));
    return pack;
}

std::optional<int> CardOf(std::string_view handId, const Point& point)
{
    for (int card = 0; card < PackSize; ++card)
        if (CardPoint(handId, card) == point) return card;
    return std::nullopt;
}

std::optional<Point> Lock(const Key& key, const Point& point)
{
    if (!crypto_core_ristretto255_is_valid_point(point.bytes.data())) return std::nullopt;
    Point out;
    if (crypto_scalarmult_ristretto255(out.bytes.data(), key.bytes.data(), point.bytes.data()) != 0)
        return std::nullopt;
    return out;
}

std::optional<Point> Unlock(const Key& key, const Point& point)
{
    if (!IsKey(key)) return std::nullopt;
    return Lock(Inverse(key), point);
}

std::vector<Point> ShufflePass(const std::vector<Point>& pack, const Key& key)
{
    std::vector<Point> out;
    out.reserve(pack.size());
    for (const Point& p : pack) {
        const std::optional<Point> locked = Lock(key, p);
        if (!locked) return {};
        out.push_back(*locked);
    }
    // Fisher-Yates with the system's entropy, without modulo bias.
    for (std::size_t i = out.size(); i > 1; --i) {
        const std::size_t j = randombytes_uniform(static_cast<std::uint32_t>(i));
        std::swap(out[i - 1], out[j]);
    }
    return out;
}

bool CheckPass(const std::vector<Point>& before, const std::vector<Point>& after, const Key& key)
{
    if (before.size() != after.size() || !IsKey(key)) return false;
    std::vector<Point> locked;
    locked.reserve(before.size());
    for (const Point& p : before) {
        const std::optional<Point> l = Lock(key, p);
        if (!l) return false;
        locked.push_back(*l);
    }
    // Same multiset: sorted byte strings equal.
    std::vector<Point> published = after;
    const auto less = [](const Point& a, const Point& b) { return a.bytes < b.bytes; };
    std::sort(locked.begin(), locked.end(), less);
    std::sort(published.begin(), published.end(), less);
    return locked == published;
}

bool CheckUnlock(const Point& before, const Point& after, const Key& key)
{
    const std::optional<Point> expected = Unlock(key, before);
    return expected && *expected == after;
}

SigningKeys NewSigningKeys()
{
    Ready();
    SigningKeys keys;
    crypto_sign_keypair(keys.publicKey.data(), keys.secretKey.data());
    return keys;
}

Signature Sign(const SigningKeys& keys, std::string_view message)
{
    Signature signature{};
    crypto_sign_detached(signature.data(), nullptr, reinterpret_cast<const unsigned char*>(message.data()),
                         message.size(), keys.secretKey.data());
    return signature;
}

bool Verify(const Bytes32& publicKey, std::string_view message, const Signature& signature)
{
    return crypto_sign_verify_detached(signature.data(),
                                       reinterpret_cast<const unsigned char*>(message.data()), message.size(),
                                       publicKey.data()) == 0;
}

std::string ToHex(const std::uint8_t* bytes, std::size_t size)
{
    std::string text(size * 2 + 1, '\0');
    sodium_bin2hex(text.data(), text.size(), bytes, size);
    text.pop_back();
    return text;
}

bool FromHex(std::string_view text, std::uint8_t* bytes, std::size_t size)
{
    if (text.size() != size * 2) return false;
    std::size_t length = 0;
    const char* end = nullptr;
    if (sodium_hex2bin(bytes, size, text.data(), text.size(), nullptr, &length, &end) != 0) return false;
    return length == size && end == text.data() + text.size();
}

Bytes32 TextDigest(std::string_view text)
{
    Bytes32 out{};
    crypto_generichash(out.data(), out.size(), reinterpret_cast<const unsigned char*>(text.data()),
                       text.size(), nullptr, 0);
    return out;
}

} // namespace scrivo::privacy

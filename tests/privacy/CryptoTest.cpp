#include <algorithm>
#include <set>

#include <gtest/gtest.h>

#include "privacy/Crypto.h"

namespace scrivo::privacy {
namespace {

constexpr std::string_view Hand = "hand 5f3a";

// Three participants shuffle; each pass is the one before locked and
// permuted by the next participant's key.
struct Table {
    std::vector<Key> keys{NewKey(), NewKey(), NewKey()};
    std::vector<std::vector<Point>> passes{OpenPack(Hand)};

    Table()
    {
        for (const Key& k : keys)
            passes.push_back(ShufflePass(passes.back(), k));
    }
    const std::vector<Point>& Pack() const { return passes.back(); }
    // Card i of the shuffled pack as its owner sees it: every other layer
    // removed by its holder, the owner's own last.
    std::optional<int> Reveal(std::size_t i, std::size_t owner) const
    {
        Point p = Pack()[i];
        for (std::size_t k = 0; k < keys.size(); ++k)
            if (k != owner) p = *Unlock(keys[k], p);
        return CardOf(Hand, *Unlock(keys[owner], p));
    }
};

TEST(Crypto, AShuffledPackRevealsEveryCardOnceAndEveryPassChecks)
{
    ASSERT_TRUE(Ready());
    const Table t;
    std::set<int> cards;
    for (std::size_t i = 0; i < PackSize; ++i) {
        const std::optional<int> card = t.Reveal(i, i % 3);
        ASSERT_TRUE(card);
        cards.insert(*card);
    }
    EXPECT_EQ(cards.size(), static_cast<std::size_t>(PackSize));
    // The shuffled pack shows no card as it is, and a pass is a new order.
    for (const Point& p : t.Pack())
        EXPECT_FALSE(CardOf(Hand, p));
    EXPECT_NE(t.passes[1], ShufflePass(t.passes[0], t.keys[0]));
    for (std::size_t k = 0; k < t.keys.size(); ++k)
        EXPECT_TRUE(CheckPass(t.passes[k], t.passes[k + 1], t.keys[k])) << k;
    // The same cards of another hand are other points.
    EXPECT_NE(CardPoint(Hand, 7), CardPoint("hand 5f3b", 7));
    EXPECT_NE(CardPoint(Hand, 7), CardPoint(Hand, 8));
}

TEST(Crypto, AFalsifiedPassOrLayerIsCaught)
{
    const Table t;
    const Key& key = t.keys[1];
    const std::vector<Point>& before = t.passes[1];
    std::vector<Point> swapped = t.passes[2];
    // A card replaced by a copy of another: the pack now deals one twice.
    swapped[3] = swapped[4];
    std::vector<Point> foreign = t.passes[2];
    foreign[0] = *Lock(key, CardPoint(Hand, 0)); // a known card slipped in
    std::vector<Point> shorter(t.passes[2].begin(), t.passes[2].end() - 1);
    for (const auto& pass : {swapped, foreign, shorter})
        EXPECT_FALSE(CheckPass(before, pass, key));
    EXPECT_FALSE(CheckPass(before, t.passes[2], t.keys[0])); // not the key used

    const Point card = t.Pack()[0];
    const Point honest = *Unlock(key, card);
    EXPECT_TRUE(CheckUnlock(card, honest, key));
    EXPECT_FALSE(CheckUnlock(card, *Unlock(t.keys[0], card), key));
    EXPECT_FALSE(CheckUnlock(card, t.Pack()[1], key));
}

TEST(Crypto, BadBytesAreNoPointsKeysOrHex)
{
    Point junk;
    junk.bytes.fill(0xFF);
    EXPECT_FALSE(Lock(NewKey(), junk));
    EXPECT_TRUE(ShufflePass({CardPoint(Hand, 1), junk}, NewKey()).empty());
    EXPECT_FALSE(IsKey(Key{}));
    Key big;
    big.bytes.fill(0xFF);
    EXPECT_FALSE(IsKey(big));
    EXPECT_FALSE(Unlock(big, CardPoint(Hand, 1)));

    const Key k = NewKey();
    EXPECT_EQ(FromHex<32>(ToHex(k.bytes)), k.bytes);
    for (const std::string& bad : std::vector<std::string>{
             "", "0", ToHex(k.bytes) + "00", "zz" + ToHex(k.bytes).substr(2), " " + ToHex(k.bytes).substr(1)})
        EXPECT_FALSE(FromHex<32>(bad)) << bad;
}

TEST(Crypto, OnlyTheSignerSignsAndOnlyWhatHeSigned)
{
    const SigningKeys bob = NewSigningKeys();
    const SigningKeys eve = NewSigningKeys();
    const Signature s = Sign(bob, "seat 2 R50");
    EXPECT_TRUE(Verify(bob.publicKey, "seat 2 R50", s));
    EXPECT_FALSE(Verify(bob.publicKey, "seat 2 R500", s));
    EXPECT_FALSE(Verify(eve.publicKey, "seat 2 R50", s));
    EXPECT_FALSE(Verify(bob.publicKey, "seat 2 R50", Sign(eve, "seat 2 R50")));
}

} // namespace
} // namespace scrivo::privacy

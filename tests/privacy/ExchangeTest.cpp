#include <set>

#include <gtest/gtest.h>

#include "privacy/Exchange.h"

namespace scrivo::privacy {
namespace {

// Three players at seats 2, 5 and 7 play one hand: passes, hole cards,
// board, and seat 5 showing down.
struct Hand {
    const std::string tag = HandTag(81);
    const std::vector<int> order{2, 5, 7};
    std::map<int, Key> keys{{2, NewKey()}, {5, NewKey()}, {7, NewKey()}};
    std::vector<std::vector<Point>> passes;
    Chains chains;

    Hand()
    {
        std::vector<Point> pack = OpenPack(tag);
        for (const int seat : order) {
            pack = ShufflePass(pack, keys[seat]);
            passes.push_back(pack);
        }
    }
    const std::vector<Point>& Pack() const { return passes.back(); }
    // Every participant publishes in turn until the reveal is done.
    void Play(const Reveal& reveal)
    {
        for (int turns = 0; turns < 10; ++turns) {
            const int next = NextInReveal(reveal, chains, order);
            if (next == 0) return;
            for (const auto& [position, point] : MyLayers(reveal, Pack(), chains, order, next, keys[next]))
                chains[position].emplace_back(next, point);
        }
        FAIL() << "the reveal does not end";
    }
    std::optional<int> Card(int position, int viewer)
    {
        return CardAt(tag, position, Pack(), chains, viewer, keys[viewer]);
    }
};

Reveal HoleCards()
{
    Reveal r;
    for (int i = 0; i < 6; ++i)
        r.owners[i] = std::vector<int>{2, 5, 7}[static_cast<std::size_t>(i % 3)];
    return r;
}

TEST(Exchange, EachPlayerSeesHisOwnCardsTheBoardAndWhatIsShownNothingElse)
{
    Hand h;
    h.Play(HoleCards());
    std::set<int> seen;
    for (int i = 0; i < 6; ++i) {
        const int owner = h.order[static_cast<std::size_t>(i % 3)];
        for (const int viewer : h.order) {
            const std::optional<int> card = h.Card(i, viewer);
            EXPECT_EQ(card.has_value(), viewer == owner) << i << " " << viewer;
            if (card) seen.insert(*card);
        }
    }
    Reveal board;
    for (int i = 6; i < 11; ++i)
        board.owners[i] = 0;
    EXPECT_FALSE(h.Card(6, 2)); // not yet dealt
    h.Play(board);
    for (int i = 6; i < 11; ++i) {
        const std::optional<int> card = h.Card(i, 7);
        ASSERT_TRUE(card);
        seen.insert(*card);
        EXPECT_EQ(h.Card(i, 2), card);
    }
    Reveal show; // seat 5 shows: only his own layer is left
    show.owners = {{1, 0}, {4, 0}};
    h.Play(show);
    EXPECT_EQ(h.chains[1].back().first, 5);
    EXPECT_EQ(h.Card(1, 2), h.Card(1, 7));
    EXPECT_TRUE(h.Card(1, 2));
    EXPECT_FALSE(h.Card(0, 5)); // seat 2's cards stay his
    EXPECT_EQ(seen.size(), 11u);
    EXPECT_TRUE(AuditHand(h.tag, h.order, h.passes, h.keys, h.chains).Clean());
}

TEST(Exchange, TheAuditNamesWhoseLayerOrPassIsFalse)
{
    Hand wrongLayer;
    wrongLayer.Play(HoleCards());
    // Seat 5 publishes another point for seat 7's first card.
    wrongLayer.chains[2][1].second = *Lock(NewKey(), wrongLayer.chains[2][1].second);
    Audit a =
        AuditHand(wrongLayer.tag, wrongLayer.order, wrongLayer.passes, wrongLayer.keys, wrongLayer.chains);
    EXPECT_EQ(a.wrongLayer, std::vector<int>{5});
    EXPECT_TRUE(a.falsifiedPass.empty());

    Hand swapped; // seat 7's pass deals one card twice
    swapped.passes[2][0] = swapped.passes[2][1];
    a = AuditHand(swapped.tag, swapped.order, swapped.passes, swapped.keys, swapped.chains);
    EXPECT_EQ(a.falsifiedPass, std::vector<int>{7});
    swapped.keys.erase(2); // a key never published counts against its seat
    a = AuditHand(swapped.tag, swapped.order, swapped.passes, swapped.keys, swapped.chains);
    EXPECT_EQ(a.falsifiedPass, (std::vector<int>{2, 7}));
}

TEST(Exchange, RecordsRoundTripSignedAndNothingElseDecodes)
{
    const SigningKeys keys = NewSigningKeys();
    ExchangeRecord r;
    r.kind = ExchangeKind::Layers;
    r.hand = 0x0123456789abcdefLL;
    r.seat = 9;
    r.step = 3;
    r.points = {{0, CardPoint("t", 1)}, {51, CardPoint("t", 2)}};
    r.text = "R50";
    r.extra = keys.publicKey;
    SignRecord(r, keys);
    const std::string bytes = EncodeExchangeRecord(r);
    ASSERT_EQ(bytes.size(), static_cast<std::size_t>(ExchangeRecordLength));
    const std::optional<ExchangeRecord> back = DecodeExchangeRecord(bytes);
    ASSERT_TRUE(back);
    EXPECT_EQ(*back, r);
    EXPECT_TRUE(VerifyRecord(*back, keys.publicKey));
    EXPECT_FALSE(VerifyRecord(*back, NewSigningKeys().publicKey));
    for (const std::size_t flipped : {1u, 5u, 10u, 60u, 1800u}) {
        std::string forged = bytes;
        forged[flipped] = static_cast<char>(forged[flipped] ^ 1);
        const std::optional<ExchangeRecord> f = DecodeExchangeRecord(forged);
        EXPECT_TRUE(!f || !VerifyRecord(*f, keys.publicKey)) << flipped;
    }
    const auto with = [&](std::size_t at, char value) {
        std::string b = bytes;
        b[at] = value;
        return b;
    };
    for (const std::string& bad : {bytes.substr(1), bytes + "x", with(0, 'Y'), with(1, 11), with(10, 0),
                                   with(10, 10), with(13, 53), with(48, 52), with(14, 121), with(2047, 1)})
        EXPECT_FALSE(DecodeExchangeRecord(bad));
}

} // namespace
} // namespace scrivo::privacy

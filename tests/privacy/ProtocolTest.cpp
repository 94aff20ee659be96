// The course of a protected hand among participants, with no file between
// them: each reads the same book of records in the same order.
#include <gtest/gtest.h>

#include "privacy/Protocol.h"

namespace scrivo::privacy {
namespace {

TEST(ProtocolPlan, ParsesWhatAHostMayDealAndRefusesTheRest)
{
    const auto plan = ParsePlan(77, 3, 1, "1:1 2:1 4:4");
    ASSERT_TRUE(plan);
    EXPECT_EQ(plan->passOrder, (std::vector<int>{4, 1}));
    EXPECT_EQ(plan->revealOrder, (std::vector<int>{1, 4}));
    EXPECT_EQ(plan->HolePosition(4, 1), 5);
    EXPECT_EQ(plan->HolePosition(3, 0), -1);
    EXPECT_EQ(plan->BoardPositions(), (std::array<int, 5>{7, 8, 9, 11, 13}));
    for (const char* bad : {"1:1", "2:2 1:1", "1:1 2:3", "1:1 1:1", "0:1 2:1", "1:1 2:x", "1:1 12:1", ""})
        EXPECT_FALSE(ParsePlan(77, 3, 1, bad)) << bad;
}

// Three participants: the host (seat 1, also dealing for a bot in seat 2)
// and players 3 and 4.
struct Table3 {
    Table3()
    {
        for (int seat : {1, 3, 4}) {
            people.emplace(seat, Participant(seat, NewSigningKeys()));
            ExchangeRecord r;
            r.kind = ExchangeKind::Seat;
            r.extra = people.at(seat).Keys().publicKey;
            Share(people.at(seat).Signed(r));
        }
    }
    // A record as every reader of the file takes it.
    void Share(const ExchangeRecord& r)
    {
        for (auto& [seat, book] : books)
            book.Take(r, index);
        ++index;
    }
    void HostWrites(ExchangeRecord r) { Share(people.at(1).Signed(std::move(r))); }
    // Each participant in turn publishes what it owes, until nobody does.
    void Settle()
    {
        for (bool more = true; more;) {
            more = false;
            for (auto& [seat, person] : people)
                for (const ExchangeRecord& r : person.Step(books[seat])) {
                    more = true;
                    for (auto& [other, book] : books)
                        if (other != seat) book.Take(r, index);
                    ++index;
                }
        }
    }
    std::map<int, Participant> people;
    std::map<int, ExchangeBook> books{{1, {}}, {3, {}}, {4, {}}};
    std::int64_t index = 0;
};

TEST(ProtocolHand, EachSeesOnlyHisOwnCardsUntilTheRulesShowThem)
{
    Table3 t;
    ExchangeRecord deal;
    deal.kind = ExchangeKind::Deal;
    deal.hand = 99;
    deal.step = 1;
    deal.text = "1:1 2:1 3:3 4:4";
    t.HostWrites(deal);
    t.Settle();
    const HandExchange* h = t.books[3].Current();
    ASSERT_TRUE(h && h->RevealDone(0));
    std::set<int> seen;
    for (int seat : {1, 2, 3, 4}) {
        const int owner = seat == 2 ? 1 : seat;
        for (int i = 0; i < 2; ++i) {
            const int position = h->plan.HolePosition(seat, i);
            for (int viewer : {1, 3, 4}) {
                const auto card = t.people.at(viewer).CardAt(t.books[viewer], position);
                EXPECT_EQ(card.has_value(), viewer == owner) << seat << " seen by " << viewer;
                if (card) seen.insert(*card);
            }
        }
    }
    EXPECT_EQ(seen.size(), 8u);

    // The flop for everybody; then a showdown of player 3, which he gives
    // only with the whole board.
    ExchangeRecord open;
    open.kind = ExchangeKind::Open;
    open.hand = 99;
    open.step = 2;
    open.text = "9 10 11";
    t.HostWrites(open);
    t.Settle();
    for (int viewer : {1, 3, 4})
        EXPECT_TRUE(t.people.at(viewer).CardAt(t.books[viewer], 10)) << viewer;
    open.step = 3;
    open.text = "4 5";
    t.HostWrites(open);
    t.Settle();
    EXPECT_FALSE(t.books[1].Current()->RevealDone(2));
    EXPECT_FALSE(t.people.at(1).CardAt(t.books[1], 4));
    EXPECT_EQ(t.books[1].Current()->WaitingFor(), 3);

    // The end: every key comes out and the hand checks clean everywhere.
    ExchangeRecord end;
    end.kind = ExchangeKind::End;
    end.hand = 99;
    t.HostWrites(end);
    t.Settle();
    for (int viewer : {1, 3, 4}) {
        const HandExchange* done = t.books[viewer].Current();
        ASSERT_TRUE(done->KeysComplete()) << viewer;
        const auto audit = CheckHand(*done);
        ASSERT_TRUE(audit);
        EXPECT_TRUE(audit->Clean()) << viewer;
    }
}

TEST(ProtocolHand, RecordsOutOfTurnOrUnderAnotherKeyChangeNothing)
{
    Table3 t;
    ExchangeRecord deal;
    deal.kind = ExchangeKind::Deal;
    deal.hand = 5;
    deal.step = 1;
    deal.text = "1:1 3:3 4:4";
    // A deal from a player is no deal.
    t.Share(t.people.at(3).Signed(deal));
    EXPECT_EQ(t.books[4].Current(), nullptr);
    t.HostWrites(deal);
    // The host shuffles last: his pass now, or one signed by another key
    // claiming player 3's turn, is not taken.
    Participant forger(3, NewSigningKeys());
    ExchangeRecord pass;
    pass.kind = ExchangeKind::Pass;
    pass.hand = 5;
    const std::vector<Point> pack = ShufflePass(OpenPack(HandTag(5)), NewKey());
    for (std::size_t i = 0; i < pack.size(); ++i)
        pass.points.emplace_back(static_cast<int>(i), pack[i]);
    for (const ExchangeRecord& r : {t.people.at(1).Signed(pass), forger.Signed(pass)})
        EXPECT_EQ(t.books[4].Take(r, 100), ExchangeBook::Taken::Ignored);
    EXPECT_EQ(t.books[4].Current()->passes.size(), 0u);
    EXPECT_EQ(t.books[4].Current()->WaitingFor(), 3);
    t.Settle();
    EXPECT_TRUE(t.books[4].Current()->RevealDone(0));
}

// Lines of the message file far apart go into records of their own; each
// reader learns the record number, the writer and whether he was the host.
TEST(ProtocolLines, EveryLineIsVouchedForUnderItsOwnNumberByItsWriter)
{
    Table3 t;
    const std::vector<ExchangeRecord> records =
        LinesRecords({{60, "i60"}, {5, "d5"}, {6, "3s6"}, {5 + PackSize, "w57"}});
    ASSERT_EQ(records.size(), 2u);
    for (const ExchangeRecord& r : records)
        t.HostWrites(r);
    ExchangeRecord player = LinesRecords({{7, "3bback"}}).front();
    t.Share(t.people.at(3).Signed(player));
    player.hand = 0; // no record number: ignored
    t.Share(t.people.at(3).Signed(player));
    std::vector<VouchedLine> seen = t.books[4].TakeVouched();
    ASSERT_EQ(seen.size(), 5u);
    std::map<std::int64_t, std::pair<int, bool>> by;
    for (const VouchedLine& v : seen)
        by[v.record] = {v.seat, v.byHost};
    EXPECT_EQ(by, (std::map<std::int64_t, std::pair<int, bool>>{
                      {5, {1, true}}, {6, {1, true}}, {7, {3, false}}, {57, {1, true}}, {60, {1, true}}}));
    for (const VouchedLine& v : seen)
        if (v.record == 6) {
            EXPECT_TRUE(v.Matches("3s6"));
            EXPECT_FALSE(v.Matches("3s6 "));
        }
    EXPECT_TRUE(t.books[4].TakeVouched().empty());
}

} // namespace
} // namespace scrivo::privacy

// The exchange of a protected table under any sequence of records: signed
// by the seats' own keys or not, of any kind, hand, step, text and points,
// mixed with what honest participants publish. Nothing may crash, a record
// decodes to exactly what was encoded, the hand waits for a participant or
// for nobody, and the check of a hand always runs.
#include <algorithm>
#include <map>

#include "fuzz/FuzzSupport.h"
#include "privacy/Protocol.h"

namespace scrivo::fuzz {

using namespace privacy;

namespace {

constexpr int Seats = 3;

Point AnyPoint(Input& in, const ExchangeBook& book)
{
    const HandExchange* h = book.Current();
    const std::uint8_t pick = in.Byte();
    if (h && !h->passes.empty() && pick % 2 == 0)
        return h->passes.back()[static_cast<std::size_t>(in.Byte() % PackSize)];
    Point p;
    for (std::uint8_t& b : p.bytes)
        b = in.Byte();
    return p;
}

void Check(const ExchangeBook& book)
{
    for (const HandExchange& h : book.Hands()) {
        const int waiting = h.WaitingFor();
        Require(waiting == 0 || h.plan.Participates(waiting),
                "a hand waits only for one of its participants");
        Require(h.passes.size() <= h.plan.passOrder.size(), "no more passes than participants");
        CheckHand(h);
    }
}

} // namespace

void ExchangeBody(const std::uint8_t* data, std::size_t size)
{
    Input in(data, size);
    if (!Ready()) return;
    std::map<int, Participant> people;
    for (int seat = 1; seat <= Seats; ++seat)
        people.emplace(seat, Participant(seat, NewSigningKeys()));
    ExchangeBook book;
    book.SetHost(in.Byte() % Seats + 1);
    std::int64_t index = 0;
    const std::uint8_t keyed = in.Byte();
    for (int seat = 1; seat <= Seats; ++seat) {
        if ((keyed >> seat) & 1) continue;
        ExchangeRecord r;
        r.kind = ExchangeKind::Seat;
        r.extra = people.at(seat).Keys().publicKey;
        book.Take(people.at(seat).Signed(r), index++);
    }
    for (int steps = 0; steps < 64 && !in.Empty(); ++steps) {
        const std::uint8_t op = in.Byte();
        const int seat = op / 4 % Seats + 1;
        if (op % 4 == 0) {
            for (const ExchangeRecord& r : people.at(seat).Step(book))
                Require(DecodeExchangeRecord(EncodeExchangeRecord(r)) == r,
                        "a published record decodes as it was");
        } else if (op % 4 == 1) {
            ExchangeRecord r;
            r.kind = static_cast<ExchangeKind>(in.Byte() % 10 + 1);
            const HandExchange* h = book.Current();
            const std::uint8_t which = in.Byte();
            r.hand = which % 3 == 0 && h ? h->plan.hand : which % 3;
            r.step = in.Byte() % 8;
            const int count = in.Byte() % (PackSize + 1);
            for (int i = 0; i < count; ++i)
                r.points.emplace_back(in.Byte() % PackSize, AnyPoint(in, book));
            r.text = in.Piece().substr(0, MaxExchangeText);
            std::replace(r.text.begin(), r.text.end(), '\0', ' ');
            // Signed by the seat's key, or by a stranger's.
            r = in.Byte() % 4 == 0 ? Participant(seat, NewSigningKeys()).Signed(r)
                                   : people.at(seat).Signed(r);
            if (const auto back = DecodeExchangeRecord(EncodeExchangeRecord(r)))
                Require(*back == r, "a record decodes as it was encoded");
            book.Take(r, index++);
        } else if (op % 4 == 2) {
            std::string bytes = in.Piece();
            bytes.resize(ExchangeRecordLength, '\0');
            if (const auto r = DecodeExchangeRecord(bytes)) {
                Require(EncodeExchangeRecord(*r) == bytes, "a record has one encoding");
                book.Take(*r, index++);
            }
        }
        Check(book);
    }
}

} // namespace scrivo::fuzz

#include "privacy/Exchange.h"

#include <algorithm>

#include "platform/Bytes.h"

namespace scrivo::privacy {

namespace {

// Layout: magic, kind, hand (8, little-endian), seat, step (2), point count,
// text length (2), extra (32), points (position byte and 32 bytes each,
// up to 52), text (up to 120), signature (64), zeros to the end.
constexpr char Magic = 'X';
constexpr std::size_t ExtraAt = 16;
constexpr std::size_t PointsAt = ExtraAt + 32;
constexpr std::size_t PointBytes = 33;
constexpr std::size_t TextAt = PointsAt + PointBytes * PackSize;
constexpr std::size_t SignatureAt = TextAt + MaxExchangeText;
constexpr std::size_t EndOfRecord = SignatureAt + 64;
static_assert(EndOfRecord <= ExchangeRecordLength);

bool KnownKind(int kind)
{
    return kind >= static_cast<int>(ExchangeKind::Seat) && kind <= static_cast<int>(ExchangeKind::Lines);
}

// The point before the writer's layer came off: the last one published
// for the position, or the shuffled pack's.
Point Latest(const Chains& chains, const std::vector<Point>& pack, int position)
{
    const auto chain = chains.find(position);
    if (chain != chains.end() && !chain->second.empty()) return chain->second.back().second;
    return pack[static_cast<std::size_t>(position)];
}

bool InChain(const Chains& chains, int position, int seat)
{
    const auto chain = chains.find(position);
    if (chain == chains.end()) return false;
    return std::any_of(chain->second.begin(), chain->second.end(),
                       [&](const auto& l) { return l.first == seat; });
}

// Whether seat still owes a layer for position in this reveal.
bool Owes(const Chains& chains, int position, int owner, int seat)
{
    return owner != seat && !InChain(chains, position, seat);
}

} // namespace

std::string SignedBytes(const ExchangeRecord& r)
{
    std::string out(SignatureAt, '\0');
    out[0] = Magic;
    out[1] = static_cast<char>(r.kind);
    PutLittle(out, 2, static_cast<std::uint64_t>(r.hand), 8);
    out[10] = static_cast<char>(r.seat);
    PutLittle(out, 11, static_cast<std::uint64_t>(r.step), 2);
    const std::size_t count = std::min<std::size_t>(r.points.size(), PackSize);
    out[13] = static_cast<char>(count);
    const std::size_t text = std::min<std::size_t>(r.text.size(), MaxExchangeText);
    PutLittle(out, 14, text, 2);
    std::copy(r.extra.begin(), r.extra.end(), out.begin() + ExtraAt);
    for (std::size_t i = 0; i < count; ++i) {
        const std::size_t at = PointsAt + i * PointBytes;
        out[at] = static_cast<char>(r.points[i].first);
        std::copy(r.points[i].second.bytes.begin(), r.points[i].second.bytes.end(), out.begin() + at + 1);
    }
    std::copy_n(r.text.begin(), text, out.begin() + TextAt);
    return out;
}

std::string EncodeExchangeRecord(const ExchangeRecord& r)
{
    std::string out = SignedBytes(r);
    out.append(reinterpret_cast<const char*>(r.signature.data()), r.signature.size());
    out.resize(ExchangeRecordLength, '\0');
    return out;
}

std::optional<ExchangeRecord> DecodeExchangeRecord(std::string_view in)
{
    if (in.size() != ExchangeRecordLength || in[0] != Magic) return std::nullopt;
    ExchangeRecord r;
    const int kind = static_cast<unsigned char>(in[1]);
    if (!KnownKind(kind)) return std::nullopt;
    r.kind = static_cast<ExchangeKind>(kind);
    r.hand = static_cast<std::int64_t>(GetLittle(in, 2, 8));
    r.seat = static_cast<unsigned char>(in[10]);
    r.step = static_cast<int>(GetLittle(in, 11, 2));
    const std::size_t count = static_cast<unsigned char>(in[13]);
    const std::size_t text = GetLittle(in, 14, 2);
    if (r.seat < 1 || r.seat > MaxSeat || count > PackSize || text > MaxExchangeText) return std::nullopt;
    std::copy_n(in.begin() + ExtraAt, 32, r.extra.begin());
    for (std::size_t i = 0; i < count; ++i) {
        const std::size_t at = PointsAt + i * PointBytes;
        const int position = static_cast<unsigned char>(in[at]);
        if (position >= PackSize) return std::nullopt;
        Point p;
        std::copy_n(in.begin() + static_cast<std::ptrdiff_t>(at + 1), 32, p.bytes.begin());
        r.points.emplace_back(position, p);
    }
    r.text.assign(in.substr(TextAt, text));
    if (r.text.find('\0') != std::string::npos) return std::nullopt;
    std::copy_n(in.begin() + SignatureAt, 64, r.signature.begin());
    // Nothing may hide in the unused room: a record has one encoding.
    if (EncodeExchangeRecord(r) != in) return std::nullopt;
    return r;
}

void SignRecord(ExchangeRecord& record, const SigningKeys& keys)
{
    record.signature = Sign(keys, SignedBytes(record));
}

bool VerifyRecord(const ExchangeRecord& record, const Bytes32& publicKey)
{
    return Verify(publicKey, SignedBytes(record), record.signature);
}

std::string HandTag(std::int64_t hand)
{
    return "hand " + std::to_string(hand);
}

std::vector<std::pair<int, Point>> MyLayers(const Reveal& reveal, const std::vector<Point>& pack,
                                            const Chains& chains, const std::vector<int>& order, int me,
                                            const Key& key)
{
    std::vector<std::pair<int, Point>> out;
    if (NextInReveal(reveal, chains, order) != me) return out;
    for (const auto& [position, owner] : reveal.owners) {
        if (position < 0 || position >= static_cast<int>(pack.size()) || !Owes(chains, position, owner, me))
            continue;
        const std::optional<Point> after = Unlock(key, Latest(chains, pack, position));
        if (!after) return {};
        out.emplace_back(position, *after);
    }
    return out;
}

int NextInReveal(const Reveal& reveal, const Chains& chains, const std::vector<int>& order)
{
    for (const int seat : order)
        for (const auto& [position, owner] : reveal.owners)
            if (Owes(chains, position, owner, seat)) return seat;
    return 0;
}

std::optional<int> CardAt(std::string_view tag, int position, const std::vector<Point>& pack,
                          const Chains& chains, int me, const Key& key)
{
    if (position < 0 || position >= static_cast<int>(pack.size())) return std::nullopt;
    const Point latest = Latest(chains, pack, position);
    if (std::optional<int> bare = CardOf(tag, latest)) return bare;
    const std::optional<Point> mine = Unlock(key, latest);
    if (!mine || InChain(chains, position, me)) return std::nullopt;
    return CardOf(tag, *mine);
}

Audit AuditHand(std::string_view tag, const std::vector<int>& order,
                const std::vector<std::vector<Point>>& passes, const std::map<int, Key>& keys,
                const Chains& chains)
{
    Audit audit;
    const auto keyOf = [&](int seat) -> const Key* {
        const auto k = keys.find(seat);
        return k == keys.end() ? nullptr : &k->second;
    };
    std::vector<Point> before = OpenPack(tag);
    for (std::size_t i = 0; i < order.size(); ++i) {
        const Key* key = keyOf(order[i]);
        if (i >= passes.size() || !key || !CheckPass(before, passes[i], *key)) {
            audit.falsifiedPass.push_back(order[i]);
            if (i >= passes.size()) break;
        }
        before = passes[i];
    }
    for (const auto& [position, chain] : chains) {
        if (position < 0 || position >= static_cast<int>(before.size())) continue;
        Point point = before[static_cast<std::size_t>(position)];
        for (const auto& [seat, after] : chain) {
            const Key* key = keyOf(seat);
            if (!key || !CheckUnlock(point, after, *key)) {
                if (std::find(audit.wrongLayer.begin(), audit.wrongLayer.end(), seat) ==
                    audit.wrongLayer.end())
                    audit.wrongLayer.push_back(seat);
                break; // what follows rests on a wrong point
            }
            point = after;
        }
    }
    return audit;
}

} // namespace scrivo::privacy

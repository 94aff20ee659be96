#include "privacy/Protocol.h"

#include <algorithm>
#include <charconv>

namespace scrivo::privacy {

namespace {

// Hands kept for keys that come in after the next hand began.
constexpr std::size_t HandsKept = 4;
// Requests and chat lines kept: a table reads them as they come.
constexpr std::size_t LinesKept = 512;
// Words on lines of the message file kept until the table takes them, and
// the highest record number such a word may name.
constexpr std::size_t VouchedKept = 8192;
constexpr std::int64_t MaxLineRecord = std::int64_t{1} << 40;

std::optional<int> ParseInt(std::string_view text)
{
    int value = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (error != std::errc() || end != text.data() + text.size()) return std::nullopt;
    return value;
}

std::vector<std::string_view> Words(std::string_view text)
{
    std::vector<std::string_view> out;
    std::size_t at = 0;
    while (at < text.size()) {
        const std::size_t end = std::min(text.find(' ', at), text.size());
        if (end > at) out.push_back(text.substr(at, end - at));
        at = end + 1;
    }
    return out;
}

// The positions a participant owes in a reveal now.
std::set<int> Owed(const Reveal& reveal, const Chains& chains, int seat)
{
    std::set<int> out;
    for (const auto& [position, owner] : reveal.owners) {
        if (owner == seat) continue;
        const auto chain = chains.find(position);
        const bool done =
            chain != chains.end() && std::any_of(chain->second.begin(), chain->second.end(),
                                                 [&](const auto& layer) { return layer.first == seat; });
        if (!done) out.insert(position);
    }
    return out;
}

bool Bare(const HandExchange& h, int position)
{
    for (std::size_t i = 0; i < h.reveals.size(); ++i) {
        const auto at = h.reveals[i].owners.find(position);
        if (at != h.reveals[i].owners.end() && at->second == 0 && h.RevealDone(i)) return true;
    }
    return false;
}

} // namespace

int HandPlan::HolePosition(int seat, int i) const
{
    for (std::size_t k = 0; k < dealt.size(); ++k)
        if (dealt[k].first == seat) return static_cast<int>(2 * k) + i;
    return -1;
}

std::array<int, 5> HandPlan::BoardPositions() const
{
    // Two cards a seat, then a burn before the flop, the turn and the river.
    const int d = 2 * static_cast<int>(dealt.size());
    return {d + 1, d + 2, d + 3, d + 5, d + 7};
}

int HandPlan::OwnerOf(int seat) const
{
    for (const auto& [s, owner] : dealt)
        if (s == seat) return owner;
    return 0;
}

bool HandPlan::Participates(int seat) const
{
    return std::find(passOrder.begin(), passOrder.end(), seat) != passOrder.end();
}

std::string PlanText(const std::vector<std::pair<int, int>>& dealt)
{
    std::string out;
    for (const auto& [seat, owner] : dealt) {
        if (!out.empty()) out += ' ';
        out += std::to_string(seat) + ":" + std::to_string(owner);
    }
    return out;
}

std::optional<HandPlan> ParsePlan(std::int64_t hand, int number, int host, std::string_view text)
{
    HandPlan plan;
    plan.hand = hand;
    plan.number = number;
    plan.host = host;
    for (const std::string_view word : Words(text)) {
        const std::size_t colon = word.find(':');
        if (colon == std::string_view::npos) return std::nullopt;
        const auto seat = ParseInt(word.substr(0, colon));
        const auto owner = ParseInt(word.substr(colon + 1));
        if (!seat || !owner || *seat < 1 || *seat > MaxSeat || *owner < 1 || *owner > MaxSeat)
            return std::nullopt;
        if (!plan.dealt.empty() && plan.dealt.back().first >= *seat) return std::nullopt;
        plan.dealt.emplace_back(*seat, *owner);
    }
    if (plan.dealt.size() < 2) return std::nullopt;
    std::set<int> owners;
    for (const auto& [seat, owner] : plan.dealt) {
        // A player's cards are his own; only the host deals for others.
        if (owner != seat && owner != host) return std::nullopt;
        owners.insert(owner);
    }
    for (const int owner : owners)
        if (owner != host && plan.OwnerOf(owner) != owner) return std::nullopt;
    for (const int owner : owners)
        if (owner != host) plan.passOrder.push_back(owner);
    plan.passOrder.push_back(host);
    plan.revealOrder.assign(plan.passOrder.rbegin(), plan.passOrder.rend());
    return plan;
}

std::string PositionsText(const std::vector<int>& positions)
{
    std::string out;
    for (const int p : positions) {
        if (!out.empty()) out += ' ';
        out += std::to_string(p);
    }
    return out;
}

std::optional<std::vector<int>> ParsePositions(std::string_view text)
{
    std::vector<int> out;
    for (const std::string_view word : Words(text)) {
        const auto p = ParseInt(word);
        if (!p || *p < 0 || *p >= PackSize || std::find(out.begin(), out.end(), *p) != out.end())
            return std::nullopt;
        out.push_back(*p);
    }
    if (out.empty()) return std::nullopt;
    return out;
}

// ---------------------------------------------------------------- the hand

bool HandExchange::RevealDone(std::size_t i) const
{
    return Shuffled() && i < reveals.size() && NextInReveal(reveals[i], chains, plan.revealOrder) == 0;
}

bool HandExchange::Settled() const
{
    for (std::size_t i = 0; i < reveals.size(); ++i)
        if (!RevealDone(i)) return false;
    return Shuffled();
}

int HandExchange::WaitingFor() const
{
    if (ended) return 0;
    if (!Shuffled()) return plan.passOrder[passes.size()];
    for (const Reveal& reveal : reveals)
        if (const int next = NextInReveal(reveal, chains, plan.revealOrder)) return next;
    return 0;
}

bool HandExchange::KeysComplete() const
{
    return std::all_of(plan.passOrder.begin(), plan.passOrder.end(),
                       [&](int p) { return keys.count(p) > 0; });
}

// ---------------------------------------------------------------- the book

HandExchange* ExchangeBook::FindMutable(std::int64_t hand)
{
    for (HandExchange& h : m_hands)
        if (h.plan.hand == hand) return &h;
    return nullptr;
}

const HandExchange* ExchangeBook::Find(std::int64_t hand) const
{
    for (const HandExchange& h : m_hands)
        if (h.plan.hand == hand) return &h;
    return nullptr;
}

std::optional<Bytes32> ExchangeBook::SeatKey(int seat) const
{
    const auto k = m_seatKeys.find(seat);
    if (k == m_seatKeys.end()) return std::nullopt;
    return k->second;
}

bool ExchangeBook::TakeLayers(HandExchange& h, const ExchangeRecord& r)
{
    if (!h.Shuffled() || h.ended || r.step < 1 || r.step > static_cast<int>(h.reveals.size())) return false;
    const auto i = static_cast<std::size_t>(r.step - 1);
    for (std::size_t before = 0; before < i; ++before)
        if (!h.RevealDone(before)) return false;
    const Reveal& reveal = h.reveals[i];
    if (NextInReveal(reveal, h.chains, h.plan.revealOrder) != r.seat) return false;
    std::set<int> given;
    for (const auto& point : r.points)
        given.insert(point.first);
    if (given.size() != r.points.size() || given != Owed(reveal, h.chains, r.seat)) return false;
    for (const auto& [position, point] : r.points)
        h.chains[position].emplace_back(r.seat, point);
    return true;
}

ExchangeBook::Taken ExchangeBook::Take(const ExchangeRecord& r, std::int64_t index)
{
    const Taken taken = TakeSigned(r, index);
    if (taken == Taken::Used && index >= 0) m_lastUsed[r.seat] = std::max(LastUsed(r.seat), index);
    if (taken == Taken::Used && !m_hands.empty()) TakeOffPublishedLayers(m_hands.back());
    return taken;
}

void ExchangeBook::TakeOffPublishedLayers(HandExchange& h)
{
    // A participant who left during the hand published his key of it: every
    // reader takes his layer off in his turn, the same way, so that the hand
    // goes on without him.
    if (!h.Shuffled() || h.ended) return;
    for (std::size_t i = 0; i < h.reveals.size(); ++i) {
        while (!h.RevealDone(i)) {
            const int next = NextInReveal(h.reveals[i], h.chains, h.plan.revealOrder);
            const auto key = h.keys.find(next);
            if (key == h.keys.end()) return;
            const auto layers =
                MyLayers(h.reveals[i], h.Pack(), h.chains, h.plan.revealOrder, next, key->second);
            if (layers.empty()) return;
            for (const auto& [position, point] : layers)
                h.chains[position].emplace_back(next, point);
        }
    }
}

ExchangeBook::Taken ExchangeBook::TakeSigned(const ExchangeRecord& r, std::int64_t index)
{
    if (index >= 0) m_end = std::max(m_end, index + 1);
    if (r.kind == ExchangeKind::Seat) {
        // Self-signed; the first key of a seat holds.
        if (m_seatKeys.count(r.seat) || !VerifyRecord(r, r.extra)) return Taken::Ignored;
        m_seatKeys[r.seat] = r.extra;
        return Taken::Used;
    }
    const std::optional<Bytes32> key = SeatKey(r.seat);
    if (!key || !VerifyRecord(r, *key)) return Taken::Ignored;
    const bool fromHost = r.seat == m_host;
    HandExchange* h = FindMutable(r.hand);
    switch (r.kind) {
    case ExchangeKind::Seat:
        return Taken::Ignored;
    case ExchangeKind::Deal: {
        if (!fromHost || h || r.hand == 0) return Taken::Ignored;
        std::optional<HandPlan> plan = ParsePlan(r.hand, r.step, r.seat, r.text);
        if (!plan) return Taken::Ignored;
        // Every participant's key must be known before it can be asked for anything.
        for (const int p : plan->passOrder)
            if (!m_seatKeys.count(p)) return Taken::Ignored;
        HandExchange next;
        next.plan = std::move(*plan);
        Reveal holes;
        for (const auto& [seat, owner] : next.plan.dealt)
            for (int c = 0; c < 2; ++c)
                holes.owners[next.plan.HolePosition(seat, c)] = owner;
        next.reveals.push_back(std::move(holes));
        m_hands.push_back(std::move(next));
        if (m_hands.size() > HandsKept) m_hands.pop_front();
        return Taken::Used;
    }
    case ExchangeKind::Pass: {
        if (!h || h->ended || h->Shuffled() || h->plan.passOrder[h->passes.size()] != r.seat ||
            r.step != static_cast<int>(h->passes.size()) || r.points.size() != PackSize)
            return Taken::Ignored;
        std::vector<Point> pass;
        for (std::size_t i = 0; i < r.points.size(); ++i) {
            if (r.points[i].first != static_cast<int>(i)) return Taken::Ignored;
            pass.push_back(r.points[i].second);
        }
        h->passes.push_back(std::move(pass));
        return Taken::Used;
    }
    case ExchangeKind::Layers:
        return h && TakeLayers(*h, r) ? Taken::Used : Taken::Ignored;
    case ExchangeKind::Open: {
        if (!fromHost || !h || h->ended || !h->Settled() || r.step != static_cast<int>(h->reveals.size()) + 1)
            return Taken::Ignored;
        const auto positions = ParsePositions(r.text);
        if (!positions) return Taken::Ignored;
        const std::array<int, 5> board = h->plan.BoardPositions();
        Reveal reveal;
        for (const int p : *positions) {
            const bool onBoard = std::find(board.begin(), board.end(), p) != board.end();
            const bool hole = p < 2 * static_cast<int>(h->plan.dealt.size());
            if ((!onBoard && !hole) || Bare(*h, p)) return Taken::Ignored;
            reveal.owners[p] = 0;
        }
        h->reveals.push_back(std::move(reveal));
        return Taken::Used;
    }
    case ExchangeKind::End:
        if (!fromHost || !h || h->ended) return Taken::Ignored;
        h->ended = true;
        h->voided = r.text == "void";
        return Taken::Used;
    case ExchangeKind::HandKey: {
        // At the hand's end, or earlier by a participant who leaves.
        if (!h || !h->plan.Participates(r.seat) || h->keys.count(r.seat)) return Taken::Ignored;
        Key k;
        k.bytes = r.extra;
        if (!IsKey(k)) return Taken::Ignored;
        h->keys[r.seat] = k;
        return Taken::Used;
    }
    case ExchangeKind::Lines: {
        if (r.hand < 1 || r.hand > MaxLineRecord || r.points.empty()) return Taken::Ignored;
        // Kept until the table takes them; a flood nobody takes is cut.
        if (m_vouched.size() > VouchedKept)
            m_vouched.erase(m_vouched.begin(), m_vouched.begin() + VouchedKept / 2);
        for (const auto& [offset, digest] : r.points)
            m_vouched.push_back(VouchedLine{r.hand + offset, r.seat, fromHost, digest.bytes});
        return Taken::Used;
    }
    case ExchangeKind::Request:
    case ExchangeKind::Chat: {
        if (index < 0) return Taken::Ignored; // read back from the file like anybody's
        if (r.kind == ExchangeKind::Request && r.text == "D") m_leavers.insert(r.seat);
        std::vector<SignedLine>& lines = r.kind == ExchangeKind::Request ? m_requests : m_chats;
        lines.push_back(SignedLine{index, r.seat, r.hand, r.step, r.text});
        if (lines.size() > LinesKept) lines.erase(lines.begin(), lines.begin() + LinesKept / 2);
        return Taken::Used;
    }
    }
    return Taken::Ignored;
}

std::vector<VouchedLine> ExchangeBook::TakeVouched()
{
    std::vector<VouchedLine> out;
    out.swap(m_vouched);
    return out;
}

std::vector<ExchangeRecord> LinesRecords(std::vector<std::pair<std::int64_t, std::string>> lines)
{
    std::sort(lines.begin(), lines.end());
    std::vector<ExchangeRecord> out;
    for (const auto& [record, text] : lines) {
        if (out.empty() || record - out.back().hand >= PackSize) {
            out.emplace_back();
            out.back().kind = ExchangeKind::Lines;
            out.back().hand = record;
        }
        Point digest;
        digest.bytes = TextDigest(text);
        out.back().points.emplace_back(static_cast<int>(record - out.back().hand), digest);
    }
    return out;
}

std::optional<SignedLine> ExchangeBook::RequestOf(int seat, std::int64_t hand, std::int64_t from,
                                                  int after) const
{
    for (auto r = m_requests.rbegin(); r != m_requests.rend(); ++r)
        if (r->seat == seat && r->hand == hand && r->index >= from && r->step > after) return *r;
    return std::nullopt;
}

std::vector<SignedLine> ExchangeBook::ChatsFrom(std::int64_t from) const
{
    std::vector<SignedLine> out;
    for (const SignedLine& line : m_chats)
        if (line.index >= from) out.push_back(line);
    return out;
}

// ---------------------------------------------------------------- a participant

ExchangeRecord Participant::Signed(ExchangeRecord record) const
{
    record.seat = m_seat;
    SignRecord(record, m_keys);
    return record;
}

std::optional<Key> Participant::KeyOf(std::int64_t hand) const
{
    const auto k = m_handKeys.find(hand);
    if (k == m_handKeys.end()) return std::nullopt;
    return k->second;
}

std::vector<ExchangeRecord> Participant::Step(ExchangeBook& book)
{
    std::vector<ExchangeRecord> out;
    const auto publish = [&](ExchangeRecord r) {
        r = Signed(std::move(r));
        if (book.Take(r, -1) == ExchangeBook::Taken::Used) out.push_back(std::move(r));
    };
    for (const HandExchange& h : book.Hands()) {
        if (!h.plan.Participates(m_seat)) continue;
        const std::int64_t id = h.plan.hand;
        if (h.ended) {
            const auto key = m_handKeys.find(id);
            if (key != m_handKeys.end() && !m_keysOut.count(id)) {
                m_keysOut.insert(id);
                ExchangeRecord r;
                r.kind = ExchangeKind::HandKey;
                r.hand = id;
                r.extra = key->second.bytes;
                publish(r);
            }
            continue;
        }
        if (&h != book.Current()) continue;
        // The key of the hand is made as it is dealt: a participant whose
        // program went quiet before its pass still has one to publish at the
        // end, a sign that it is back.
        if (!m_handKeys.count(id)) m_handKeys[id] = NewKey();
        if (!h.Shuffled() && h.plan.passOrder[h.passes.size()] == m_seat) {
            const Key key = m_handKeys[id];
            const std::vector<Point> before = h.passes.empty() ? OpenPack(h.plan.Tag()) : h.passes.back();
            const std::vector<Point> pass = ShufflePass(before, key);
            if (pass.empty()) continue; // a point of the pass before is no point: the hand stalls
            ExchangeRecord r;
            r.kind = ExchangeKind::Pass;
            r.hand = id;
            r.step = static_cast<int>(h.passes.size());
            for (std::size_t i = 0; i < pass.size(); ++i)
                r.points.emplace_back(static_cast<int>(i), pass[i]);
            publish(r);
        }
        const auto key = m_handKeys.find(id);
        if (!h.Shuffled() || key == m_handKeys.end()) continue;
        // h may have grown by the pass: reveals are read afresh.
        for (std::size_t i = 0; i < h.reveals.size(); ++i) {
            if (h.RevealDone(i)) continue;
            const Reveal& reveal = h.reveals[i];
            if (NextInReveal(reveal, h.chains, h.plan.revealOrder) != m_seat) break;
            if (i > 0) {
                // Own cards go bare only with the whole board.
                bool own = false;
                for (const auto& [position, owner] : reveal.owners)
                    own = own || (h.reveals[0].owners.count(position) > 0 &&
                                  h.reveals[0].owners.at(position) == m_seat);
                if (own) {
                    bool boardShown = true;
                    for (const int b : h.plan.BoardPositions())
                        boardShown = boardShown && (Bare(h, b) || reveal.owners.count(b) > 0);
                    if (!boardShown) break;
                }
            }
            ExchangeRecord r;
            r.kind = ExchangeKind::Layers;
            r.hand = id;
            r.step = static_cast<int>(i) + 1;
            r.points = MyLayers(reveal, h.Pack(), h.chains, h.plan.revealOrder, m_seat, key->second);
            if (r.points.empty()) break;
            publish(r);
            break;
        }
    }
    return out;
}

std::optional<ExchangeRecord> Participant::LeavingKey(const ExchangeBook& book)
{
    const HandExchange* h = book.Current();
    if (!h || h->ended || !h->plan.Participates(m_seat)) return std::nullopt;
    const auto key = m_handKeys.find(h->plan.hand);
    if (key == m_handKeys.end() || m_keysOut.count(h->plan.hand)) return std::nullopt;
    m_keysOut.insert(h->plan.hand);
    ExchangeRecord r;
    r.kind = ExchangeKind::HandKey;
    r.hand = h->plan.hand;
    r.extra = key->second.bytes;
    return Signed(r);
}

std::optional<int> Participant::CardAt(const ExchangeBook& book, int position) const
{
    const HandExchange* h = book.Current();
    if (!h || !h->Shuffled()) return std::nullopt;
    const auto key = m_handKeys.find(h->plan.hand);
    const Key k = key == m_handKeys.end() ? Key{} : key->second;
    return privacy::CardAt(h->plan.Tag(), position, h->Pack(), h->chains, m_seat, k);
}

std::optional<Audit> CheckHand(const HandExchange& h)
{
    if (!h.ended || h.keys.empty()) return std::nullopt;
    // A void hand may end before everyone shuffled: only the passes made
    // are checked.
    const std::vector<int> passed(h.plan.passOrder.begin(),
                                  h.plan.passOrder.begin() + static_cast<std::ptrdiff_t>(h.passes.size()));
    Audit audit = AuditHand(h.plan.Tag(), passed, h.passes, h.keys, h.chains);
    const auto unknown = [&](int seat) { return h.keys.count(seat) == 0; };
    audit.falsifiedPass.erase(std::remove_if(audit.falsifiedPass.begin(), audit.falsifiedPass.end(), unknown),
                              audit.falsifiedPass.end());
    audit.wrongLayer.erase(std::remove_if(audit.wrongLayer.begin(), audit.wrongLayer.end(), unknown),
                           audit.wrongLayer.end());
    return audit;
}

} // namespace scrivo::privacy

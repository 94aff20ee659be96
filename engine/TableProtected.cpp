// The table's side of a protected game: it reads the exchange (xch.spk) on
// every poll, publishes what its player owes the deal, signs its player's
// requests and chat, and shows his own cards, which no file holds. The host
// asks for each reveal when the rules need cards, and plays the hand on
// with cards it learns only as the rules show them.
#include <fcntl.h>

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <chrono>

#include "cards/Card.h"
#include "engine/Table.h"
#include "engine/TableProtection.h"
#include "engine/Lobby.h"
#include "engine/TableInternal.h"
#include "engine/TableView.h"
#include "platform/FileOps.h"
#include "platform/Paths.h"
#include "platform/Random.h"
#include "platform/Text.h"
#include "privacy/Protocol.h"
#include "settings/Language.h"

namespace scrivo {

using namespace privacy;

namespace {

// Records read in one poll at most: a planted giant file is read in slices.
constexpr std::int64_t RecordsPerPoll = 2048;
constexpr std::int64_t RecordsPerRead = 32;
// Lines of msg.spk kept while they wait for their writer's word, and words
// kept for lines still to come.
constexpr std::size_t HeldLinesKept = 4096;
constexpr std::size_t VouchesKept = 16384;
// How long a deal may wait for a participant when the table has no turn time.
constexpr std::chrono::seconds DefaultDealWait{30};

// Text for a record, cut to its room before a character, never inside one.
std::string CutText(const std::string& text)
{
    std::size_t cut = std::min(text.size(), static_cast<std::size_t>(MaxExchangeText));
    while (cut > 0 && cut < text.size() && (static_cast<unsigned char>(text[cut]) & 0xC0) == 0x80)
        --cut;
    std::string out = text.substr(0, cut);
    // A record's text holds no NUL.
    std::replace(out.begin(), out.end(), '\0', ' ');
    return out;
}

clsCard CardOfNumber(int n)
{
    return clsCard(n / FaceCount, n % FaceCount);
}

int NumberOfCard(const clsCard& c)
{
    return CardNumber(c.suit, c.facevalue);
}

// The signing keys kept in a file of the player's own: the secret key in
// hex on one line. A file that cannot be read is not overwritten.
SigningKeys LoadOrMakeKeys(const std::string& path)
{
    if (path.empty()) return NewSigningKeys();
    FileOps& ops = CurrentFileOps();
    const int fd = ops.Open(path, O_RDONLY | O_NOFOLLOW | O_CLOEXEC, 0);
    if (fd >= 0) {
        char buffer[256] = {};
        const long long got = ops.ReadAt(fd, buffer, sizeof buffer - 1, 0);
        ops.Close(fd);
        std::string text(buffer, got > 0 ? static_cast<std::size_t>(got) : 0);
        while (!text.empty() && std::isspace(static_cast<unsigned char>(text.back())))
            text.pop_back();
        SigningKeys keys;
        if (!FromHex(text, keys.secretKey.data(), keys.secretKey.size()))
            throw TableIoError(path + ": not a key file of this program");
        // The public half is the secret key's second half.
        std::copy(keys.secretKey.begin() + 32, keys.secretKey.end(), keys.publicKey.begin());
        return keys;
    }
    if (errno != ENOENT) throw TableIoError(path + ": " + ErrorDescription(errno));
    const SigningKeys keys = NewSigningKeys();
    const std::string text = ToHex(keys.secretKey) + "\n";
    const std::string temp = path + ".new";
    const int out = ops.Open(temp, O_WRONLY | O_CREAT | O_TRUNC | O_NOFOLLOW | O_CLOEXEC, 0600);
    const bool written =
        out >= 0 && ops.WriteAt(out, text.data(), text.size(), 0) == static_cast<long long>(text.size());
    if (out >= 0) ops.Close(out);
    if (!written || ops.Rename(temp, path) != 0) {
        const int error = errno;
        ops.RemoveFile(temp);
        throw TableIoError(path + ": " + ErrorDescription(error));
    }
    return keys;
}

} // namespace

bool Table::ExchangePending() const
{
    if (!m_protection) return false;
    const Protection& m = *m_protection;
    if (m.pendingStart || m.parked) return true;
    const HandExchange* h = m.book.Current();
    return h && !h->ended && h->WaitingFor() != 0 && h->plan.Participates(m_session.MyPlayerNo);
}

bool Table::ProtectedStartApplied() const
{
    return m_protection && m_protection->startApplied;
}

bool Table::Parked() const
{
    return m_protection && (m_protection->parked || m_protection->pendingStart);
}

void Table::OpenProtection()
{
    if (!Ready()) throw TableIoError("the cryptography library cannot start");
    m_protection = std::make_unique<Protection>();
    Protection& m = *m_protection;
    const int me = m_session.MyPlayerNo;
    m.me.emplace(me, LoadOrMakeKeys(m_session.SigningKeyFile));
    if (const LeaseLook look = LookAtLease(m_session.GameFolder); look.record && look.record->host >= 1)
        m.book.SetHost(look.record->host);
    if (IsHostTable()) m.book.SetHost(me);
    ReadExchange();
    const std::optional<Bytes32> fixed = m.book.SeatKey(me);
    if (fixed && *fixed != m.me->Keys().publicKey) {
        const std::string name =
            me < static_cast<int>(m_state.PlayerNames.size()) ? m_state.PlayerNames[me] : "";
        throw TableIoError(FormatText(Msg::SeatKeyDiffers, name));
    }
    if (!fixed) {
        ExchangeRecord seat;
        seat.kind = ExchangeKind::Seat;
        seat.extra = m.me->Keys().publicKey;
        seat.text = CutText(me < static_cast<int>(m_state.PlayerNames.size()) ? m_state.PlayerNames[me] : "");
        seat = m.me->Signed(seat);
        m.book.Take(seat, -1);
        m.out += EncodeExchangeRecord(seat);
        FlushExchange();
    }
}

// ---------------------------------------------------------------- reading and writing

void Table::ReadExchange()
{
    Protection& m = *m_protection;
    FileStat st;
    if (CurrentFileOps().Stat(ExchangeFilePath(m_session.GameFolder), st) != 0) {
        if (errno == ENOENT) return; // nothing published yet
        throw TableIoError(std::string(ExchangeFileName) + ": " + ErrorDescription(errno));
    }
    const std::int64_t records = st.size / ExchangeFileRecordLength;
    // A file cut short or made anew: what was read stays known.
    if (records < m.nextRecord - 1) m.nextRecord = records + 1;
    if (records < m.nextRecord) return;
    RecordFile& file = TickFile(Slot::Exchange);
    const std::int64_t last = std::min(Need(file.RecordCount()), m.nextRecord - 1 + RecordsPerPoll);
    std::int64_t n = m.nextRecord;
    while (n <= last) {
        n = Need(file.NextDataRecord(n));
        if (n > last) break;
        const std::int64_t count = std::min(RecordsPerRead, last - n + 1);
        const std::string bytes = Need(file.ReadRecords(n, count));
        const std::int64_t got = static_cast<std::int64_t>(bytes.size()) / ExchangeFileRecordLength;
        if (got == 0) break;
        for (std::int64_t i = 0; i < got; ++i) {
            const std::string_view one = std::string_view(bytes).substr(
                static_cast<std::size_t>(i * ExchangeFileRecordLength), ExchangeFileRecordLength);
            if (const auto record = DecodeExchangeRecord(one)) m.book.Take(*record, n + i - 1);
        }
        n += got;
    }
    m.nextRecord = std::max(m.nextRecord, std::min(n, last + 1));
}

void Table::FlushExchange()
{
    if (!m_protection) return;
    if (!m_protection->toVouch.empty()) {
        // The lines just stored in msg.spk, vouched for before the status
        // that follows them: a reader who sees the status has both.
        for (ExchangeRecord& r : LinesRecords(std::move(m_protection->toVouch)))
            Publish(std::move(r));
        m_protection->toVouch.clear();
    }
    if (m_protection->out.empty()) return;
    Need(TickFile(Slot::Exchange).AppendRecords(m_protection->out));
    m_protection->out.clear();
}

void Table::Publish(ExchangeRecord record)
{
    Protection& m = *m_protection;
    record = m.me->Signed(std::move(record));
    m.book.Take(record, -1);
    m.out += EncodeExchangeRecord(record);
}

bool Table::AppendSigned(ExchangeRecord record)
{
    if (!m_protection) return true;
    record = m_protection->me->Signed(std::move(record));
    const std::string bytes = EncodeExchangeRecord(record);
    auto file = OpenRecordFile(ExchangeFilePath(m_session.GameFolder), ExchangeFileRecordLength);
    FolderStatus written = file ? file->AppendRecords(bytes) : file.status;
    if (file) file->Close();
    if (!written) {
        ReportFailure("Error writing player status: ", written);
        return false;
    }
    return true;
}

bool Table::SignRequest(const std::string& request)
{
    if (!m_protection) return true;
    Protection& m = *m_protection;
    const HandExchange* h = m.book.Current();
    const std::int64_t hand = h ? h->plan.hand : 0;
    if (hand != m.requestHand) {
        m.requestHand = hand;
        m.requestStep = 0;
    }
    ExchangeRecord r;
    r.kind = ExchangeKind::Request;
    r.hand = hand;
    r.step = ++m.requestStep;
    r.text = CutText(request);
    return AppendSigned(r);
}

void Table::PublishLeavingKey()
{
    if (!m_protection) return;
    if (std::optional<ExchangeRecord> key = m_protection->me->LeavingKey(m_protection->book)) {
        // Already signed: appended as it is.
        const std::string bytes = EncodeExchangeRecord(*key);
        auto file = OpenRecordFile(ExchangeFilePath(m_session.GameFolder), ExchangeFileRecordLength);
        if (file) {
            file->AppendRecords(bytes);
            file->Close();
        }
    }
}

bool Table::SendChat(const std::string& text)
{
    if (!m_protection) return false;
    ExchangeRecord r;
    r.kind = ExchangeKind::Chat;
    r.step = m_session.MyPlayerNo;
    r.text = CutText(text);
    return AppendSigned(r);
}

// ---------------------------------------------------------------- every poll

void Table::ExchangeTick()
{
    Protection& m = *m_protection;
    if (IsHostTable())
        FollowHost(m_session.MyPlayerNo);
    else if (m_leaseSeen && m_leaseSeen->host >= 1)
        FollowHost(m_leaseSeen->host);
    ReadExchange();
    ReleaseVouchedLines();
    for (ExchangeRecord& r : m.me->Step(m.book))
        m.out += EncodeExchangeRecord(r);
    if (IsHostTable()) HostExchange();
    if (!m.out.empty()) StoreWrites();

    // Leaving is the one request that outlives its hand.
    for (const int seat : m.book.Leavers())
        m.leavers.insert(seat);
    if (m.cardsNew) {
        m.cardsNew = false;
        UpdateTableView();
    }
    ShowChat();
    AuditHands();
    const HandExchange* h = m.book.Current();
    const int waiting = h && !h->ended ? h->WaitingFor() : 0;
    if (waiting != m.shownWaiting) {
        m.shownWaiting = waiting;
        if (waiting >= 1 && waiting < static_cast<int>(m_state.PlayerNames.size()))
            Shown().ShowStatus(FormatText(Msg::DealingWaitsFor, m_state.PlayerNames[waiting]));
    }
}

// The line with this table's own cards of the hand being dealt, once, when
// they can be read: it follows the line that deals them, the first line of
// that kind once the hole cards are uncovered, whatever language it is in.
std::optional<std::string> Table::OwnCardsLine()
{
    Protection& m = *m_protection;
    const HandExchange* h = m.book.Current();
    const int me = m_session.MyPlayerNo;
    if (!h || h->ended || h->plan.hand == m.cardsHand || !h->RevealDone(0) || h->plan.OwnerOf(me) != me)
        return std::nullopt;
    m.cardsHand = h->plan.hand;
    m.cards = {};
    std::vector<clsCard> cards;
    for (int i = 0; i < 2; ++i)
        if (const auto card = m.me->CardAt(m.book, h->plan.HolePosition(me, i)))
            cards.push_back(CardOfNumber(*card));
    if (cards.size() != 2) return "s" + FormatText(Msg::OwnCardsUnreadable, std::to_string(h->plan.number));
    m.cards = {CardToText(cards[0]), CardToText(cards[1])};
    m.cardLines.push_back(std::to_string(me) + "c" + m.cards[0] + "," + m.cards[1]);
    m.cardsNew = true;
    return m.cardLines.back();
}

void Table::NoteShownLine(std::vector<LogLine>& lines)
{
    NoteLine(lines.back());
    if (!m_protection || lines.back().Kind() != 'd' || lines.back().PrivateTo() != 0) return;
    if (std::optional<std::string> own = OwnCardsLine())
        lines.push_back(LogLine{LocalLineNo, std::move(*own)});
}

void Table::OverlayOwnCards()
{
    if (!m_protection || m_protection->cardsHand == 0) return;
    const int me = m_session.MyPlayerNo;
    const HandExchange* h = m_protection->book.Current();
    if (!h || h->plan.hand != m_protection->cardsHand || me < 1 || me >= static_cast<int>(m_seats.size()))
        return;
    // Between hands the seat keeps what it was dealt, as the records of an
    // open table do, until the next hand clears it.
    if (m_state.Stage == StageWaiting && h->ended && Trim(m_seats[0].Card1).empty()) return;
    m_seats[static_cast<std::size_t>(me)].Card1 = m_protection->cards[0];
    m_seats[static_cast<std::size_t>(me)].Card2 = m_protection->cards[1];
}

void Table::ShowChat()
{
    Protection& m = *m_protection;
    const std::vector<SignedLine> lines = m.book.ChatsFrom(m.chatsFrom);
    if (lines.empty()) return;
    m.chatsFrom = lines.back().index + 1;
    for (const SignedLine& line : lines) {
        // The host speaks for its bots; everybody else for himself.
        int speaker = line.step;
        const bool bot = speaker >= 2 && speaker <= m_session.BotCount + 1;
        if (speaker != line.seat && !(line.seat == m.book.Host() && bot)) continue;
        if (speaker < 1 || speaker >= static_cast<int>(m_state.PlayerNames.size())) continue;
        Shown().LocalLine("m" + FormatText(Msg::ChatLine, m_state.PlayerNames[speaker], line.text));
    }
}

void Table::HoldLine(std::int64_t record, const std::string& line)
{
    Protection& m = *m_protection;
    m.held[record] = line;
    // Lines nobody vouches for are forgotten once there are many of them.
    while (m.held.size() > HeldLinesKept)
        m.held.erase(m.held.begin());
}

void Table::ReleaseVouchedLines()
{
    Protection& m = *m_protection;
    for (VouchedLine& v : m.book.TakeVouched())
        m.vouched.emplace(v.record, v);
    std::vector<LogLine> fresh;
    for (auto line = m.held.begin(); line != m.held.end();) {
        const LogLine candidate{static_cast<long>(line->first), line->second};
        const auto [from, to] = m.vouched.equal_range(line->first);
        const bool vouched = std::any_of(from, to, [&](const auto& entry) {
            const VouchedLine& v = entry.second;
            const char kind = candidate.Kind();
            const bool mayWrite = v.byHost || m.formerHosts.count(v.seat) || kind == 'p' || kind == 'w' ||
                                  (kind == 'b' && candidate.PrivateTo() == v.seat);
            return mayWrite && v.Matches(candidate.line);
        });
        if (!vouched) {
            ++line;
            continue;
        }
        m_msgLines.push_back(candidate.line);
        fresh.push_back(candidate);
        NoteShownLine(fresh);
        line = m.held.erase(line);
    }
    // A word about a line already shown, or passed over, is not needed again.
    for (auto v = m.vouched.begin(); v != m.vouched.end();) {
        if (v->first > m_lastMsgNo) break;
        v = m.held.count(v->first) ? std::next(v) : m.vouched.erase(v);
    }
    while (m.vouched.size() > VouchesKept)
        m.vouched.erase(std::prev(m.vouched.end()));
    m_fetched.insert(m_fetched.end(), std::make_move_iterator(fresh.begin()),
                     std::make_move_iterator(fresh.end()));
}

void Table::VouchLines(std::vector<std::pair<std::int64_t, std::string>> lines)
{
    if (!m_protection) return;
    for (ExchangeRecord& r : LinesRecords(std::move(lines)))
        AppendSigned(std::move(r));
}

void Table::AuditHands()
{
    Protection& m = *m_protection;
    for (const HandExchange& h : m.book.Hands()) {
        if (m.audited.count(h.plan.hand)) continue;
        // Checked once every key is out, or with what there is once the
        // next hand is under way.
        const bool later = &h != m.book.Current();
        if (!h.ended || (!h.KeysComplete() && !later)) continue;
        m.audited.insert(h.plan.hand);
        const std::optional<Audit> audit = CheckHand(h);
        if (!audit) continue;
        const auto name = [&](int seat) {
            return seat >= 1 && seat < static_cast<int>(m_state.PlayerNames.size())
                       ? m_state.PlayerNames[seat]
                       : std::to_string(seat);
        };
        const std::string number = std::to_string(h.plan.number);
        for (const int seat : audit->falsifiedPass) {
            ++m_counters.cheatsNamed;
            Shown().LocalLine("s" + FormatText(Msg::ShuffleFalsified, number, name(seat)));
        }
        for (const int seat : audit->wrongLayer) {
            ++m_counters.cheatsNamed;
            Shown().LocalLine("s" + FormatText(Msg::CardFalsified, number, name(seat)));
        }
    }
}

// ---------------------------------------------------------------- the host

bool Table::IsBotSeat(int seat) const
{
    return seat >= 2 && seat <= m_session.BotCount + 1;
}

bool Table::ProtectedStart(StartEvent start)
{
    Protection& m = *m_protection;
    if (m.pendingStart) return true; // being dealt
    const int me = m_session.MyPlayerNo;
    EnsureSlots();
    // A player takes part only with a key the table knows and while he is
    // at the table: an away player's program may have ended.
    const StartEvent everybody = start;
    for (int p = 1; p < static_cast<int>(start.seats.size()); ++p) {
        if (p == me || IsBotSeat(p)) continue;
        if (!m.book.SeatKey(p) || m_away[static_cast<std::size_t>(p)])
            start.seats[static_cast<std::size_t>(p)].playing = false;
    }
    HandState trial;
    if (!Apply(trial, start).Accepted()) {
        // Somebody is away: wait for him rather than end the game.
        HandState all;
        return Apply(all, everybody).Accepted();
    }
    std::vector<std::pair<int, int>> dealt;
    for (int p = 1; p <= trial.SeatCount(); ++p)
        if (trial.Seat(p).dealt) dealt.emplace_back(p, p == me || IsBotSeat(p) ? me : p);
    const std::int64_t now =
        std::chrono::duration_cast<std::chrono::seconds>(std::chrono::system_clock::now().time_since_epoch())
            .count();
    m.handId = NewHandId(now, EntropySeed());
    m.known.clear();
    m.lastStep.clear();
    m.pendingStart = start;
    m.waitingFor = 0;
    m.dealStarted = std::chrono::steady_clock::now();
    HostRecord(ExchangeKind::Deal, static_cast<int>(m_state.HandNo), PlanText(dealt));
    StoreWrites();
    return true;
}

std::vector<clsCard> Table::PlaceholderPack() const
{
    const Protection& m = *m_protection;
    // The known cards where they lie; the others in any order, each once:
    // the rules never look at a card before it is known.
    std::vector<bool> used(PackSize, false);
    for (const auto& [position, card] : m.known)
        used[static_cast<std::size_t>(NumberOfCard(card))] = true;
    std::vector<clsCard> pack;
    int next = 0;
    for (int position = 0; position < PackSize; ++position) {
        const auto k = m.known.find(position);
        if (k != m.known.end()) {
            pack.push_back(k->second);
            continue;
        }
        while (used[static_cast<std::size_t>(next)])
            ++next;
        used[static_cast<std::size_t>(next)] = true;
        pack.push_back(CardOfNumber(next));
    }
    return pack;
}

void Table::RefreshPlaceholders()
{
    const HandExchange* h = m_protection->book.Find(m_protection->handId);
    if (!h || !m_hand.started) return;
    m_hand.pack = PlaceholderPack();
    for (const auto& [seat, owner] : h->plan.dealt) {
        if (seat > m_hand.SeatCount()) continue;
        for (int i = 0; i < 2; ++i)
            m_hand.Seat(seat).hole[static_cast<std::size_t>(i)] =
                m_hand.pack[static_cast<std::size_t>(h->plan.HolePosition(seat, i))];
    }
}

// Learns the cards at positions; false when one cannot be read.
bool Table::LearnCards(const std::vector<int>& positions)
{
    Protection& m = *m_protection;
    for (const int position : positions) {
        const std::optional<int> card = m.me->CardAt(m.book, position);
        if (!card) return false;
        // A card uncovered twice was falsified on the way.
        for (const auto& [other, seen] : m.known)
            if (other != position && NumberOfCard(seen) == *card) return false;
        m.known[position] = CardOfNumber(*card);
    }
    return true;
}

bool Table::ParkForCards(const HandEvent& event)
{
    Protection& m = *m_protection;
    // A start runs the board out at once when nobody can act after the
    // blinds: it waits for the cards like any other event.
    const bool start = std::holds_alternative<StartEvent>(event);
    if (!start && (!m_hand.started || m_hand.over)) return false;
    if (!start) RefreshPlaceholders();
    HandState trial = m_hand;
    const HandStep step = Apply(trial, event);
    if (!step.Accepted()) return false;
    std::vector<int> wanted;
    const auto want = [&](const clsCard& card) {
        for (int position = 0; position < static_cast<int>(trial.pack.size()); ++position)
            if (trial.pack[static_cast<std::size_t>(position)].SameCard(card) && !m.known.count(position) &&
                std::find(wanted.begin(), wanted.end(), position) == wanted.end())
                wanted.push_back(position);
    };
    for (const HandEffect& e : step.effects)
        if (e.kind == EffectKind::Board || e.kind == EffectKind::Show)
            for (const clsCard& card : e.cards)
                want(card);
    if (wanted.empty()) return false;
    std::sort(wanted.begin(), wanted.end());
    const HandExchange* h = m.book.Find(m.handId);
    if (!h) return false;
    m.parked = event;
    m.waitingFor = 0;
    m.parkedAt = std::chrono::steady_clock::now();
    HostRecord(ExchangeKind::Open, static_cast<int>(h->reveals.size()) + 1, PositionsText(wanted));
    return true;
}

void Table::HostExchange()
{
    Protection& m = *m_protection;
    for (auto s = m.stalled.begin(); s != m.stalled.end();) {
        const int seat = s->first;
        if (m.book.LastUsed(seat) < s->second || seat >= static_cast<int>(m_away.size())) {
            ++s;
            continue;
        }
        // His program takes its part again: he is back.
        m_away[static_cast<std::size_t>(seat)] = false;
        m_timeouts[static_cast<std::size_t>(seat)] = 0;
        Send(std::to_string(seat) + "b" + FormatText(Msg::YouAreBack));
        s = m.stalled.erase(s);
    }
    const HandExchange* h = m.book.Find(m.handId);
    if (!h || h->ended) return;
    if (m.pendingStart && h->RevealDone(0)) {
        std::vector<int> mine;
        for (const auto& [position, owner] : h->reveals[0].owners)
            if (owner == m_session.MyPlayerNo) mine.push_back(position);
        if (!LearnCards(mine)) {
            VoidHand(0);
            return;
        }
        StartEvent start = std::move(*m.pendingStart);
        m.pendingStart.reset();
        m.startApplied = true;
        m_roundStarting = false;
        start.pack = PlaceholderPack();
        if (ApplyHandEvent(start) != RequestFault::None) {
            VoidHand(0);
            return;
        }
        ++m_counters.deals;
        m_counters.dealSeconds +=
            std::chrono::duration<double>(std::chrono::steady_clock::now() - m.dealStarted).count();
        return;
    }
    if (m.parked && h->Settled()) {
        std::vector<int> open;
        for (const auto& [position, owner] : h->reveals.back().owners)
            open.push_back(position);
        if (!LearnCards(open)) {
            VoidHand(0);
            return;
        }
        HandEvent event = std::move(*m.parked);
        m.parked.reset();
        if (auto* start = std::get_if<StartEvent>(&event))
            start->pack = PlaceholderPack(); // with the cards just uncovered
        else
            RefreshPlaceholders();
        if (ApplyHandEvent(event) == RequestFault::None) ++m_counters.actionsProcessed;
        ++m_counters.reveals;
        m_counters.revealSeconds +=
            std::chrono::duration<double>(std::chrono::steady_clock::now() - m.parkedAt).count();
        return;
    }
    if (!m.pendingStart && !m.parked) return;
    // A participant who does not take his part in time voids the hand; one
    // whose program has ended does at once.
    const int waiting = h->WaitingFor();
    const Clock::TimePoint now = ProgramClock().Now();
    if (waiting != m.waitingFor) {
        m.waitingFor = waiting;
        m.waitingSince = now;
    }
    const auto limit =
        m_session.TurnSeconds > 0 ? std::chrono::seconds(m_session.TurnSeconds) : DefaultDealWait;
    if (waiting == 0) return;
    if (ProgramEnded(waiting, *h))
        VoidHand(waiting, true);
    else if (now - m.waitingSince >= limit)
        VoidHand(waiting);
}

// Whether the program of a participant the deal waits for has ended: its
// seat, claimed by it before, is claimed by nobody. Asked once a second
// while it is waited for, and otherwise once a second of one participant
// not yet seen at his seat (a share whose locks do not reach this computer
// never shows a claim, and then nobody is taken for gone).
bool Table::ProgramEnded(int waiting, const HandExchange& h)
{
    Protection& m = *m_protection;
    const Clock::TimePoint now = ProgramClock().Now();
    if (now - m.claimLooked < std::chrono::seconds(1)) return false;
    m.claimLooked = now;
    int seat = 0;
    if (now - m.waitingSince >= std::chrono::seconds(1)) {
        seat = waiting;
    } else {
        for (const int p : h.plan.passOrder)
            if (p != m_session.MyPlayerNo && (static_cast<std::size_t>(p) >= m_seatSeenClaimed.size() ||
                                              !m_seatSeenClaimed[static_cast<std::size_t>(p)]))
                seat = p;
    }
    if (seat < 1 || seat == m_session.MyPlayerNo) return false;
    const auto i = static_cast<std::size_t>(seat);
    if (m_seatSeenClaimed.size() <= i) m_seatSeenClaimed.resize(i + 1);
    const bool claimed = SeatClaimed(m_session.GameFolder, seat);
    const bool ended = !claimed && m_seatSeenClaimed[i] && seat == waiting;
    if (claimed) m_seatSeenClaimed[i] = true;
    return ended;
}

void Table::VoidHand(int staller, bool programEnded)
{
    Protection& m = *m_protection;
    TableState& s = m_state;
    EnsureSlots();
    const auto number = static_cast<std::uint32_t>(s.HandNo);
    if (m_hand.started && !m_hand.over) {
        for (int p = 1; p <= m_hand.SeatCount() && p <= s.PlayerCount; ++p) {
            const HandSeat& seat = m_hand.Seat(p);
            if (!seat.dealt) continue;
            s.PlayerCash[p] = seat.stack + seat.total;
            PlayerRecord r = GetSeat(p);
            r.Cash = s.PlayerCash[p];
            r.Bet = Currency();
            PutSeat(p, r);
            JournalRecord stack;
            stack.kind = JournalKind::Stack;
            stack.hand = number;
            stack.seat = p;
            stack.amount = s.PlayerCash[p];
            Journal(stack);
        }
        JournalRecord end;
        end.kind = JournalKind::End;
        end.hand = number;
        end.flags = JournalFlag::Void;
        Journal(end);
        m_hand.over = true;
    }
    std::fill(m_betThisHand.begin(), m_betThisHand.end(), Currency());
    s.Pot = s.MinBet = s.LastRaise = Currency();
    s.CurrentPlayer = 0;
    s.MyTurn = false;
    m_gamePending = true;
    const bool started = !m.pendingStart;
    m.pendingStart.reset();
    m.parked.reset();
    EndExchange(true);
    const std::string hand = std::to_string(s.HandNo);
    if (staller >= 1 && staller <= s.PlayerCount) {
        Send("s" + FormatText(programEnded ? Msg::ProgramEndedVoid : Msg::DealStalled, hand,
                              s.PlayerNames[staller]));
        if (staller != m_session.MyPlayerNo && !IsBotSeat(staller)) {
            m_away[static_cast<std::size_t>(staller)] = true;
            m.stalled[staller] = m.nextRecord - 1;
            Send(std::to_string(staller) + "a" + FormatText(Msg::YouAreAway));
        }
    } else {
        Send("s" + FormatText(Msg::CardsUnreadable, hand));
    }
    ++m_counters.handsVoided;
    if (started) {
        s.Stage = StageShowdown;
        m_handEndPending = true;
        WriteStatus(GameStatus::HandOver, true);
    } else {
        // Nothing was dealt: the deal starts again at the next poll, without
        // the player who held it up.
    }
    StoreWrites();
}

void Table::EndExchange(bool voided)
{
    if (!m_protection) return;
    m_protection->startApplied = false;
    const HandExchange* h = m_protection->book.Find(m_protection->handId);
    if (!h || h->ended) return;
    HostRecord(ExchangeKind::End, 0, voided ? "void" : "");
}

void Table::HostRecord(ExchangeKind kind, int step, const std::string& text)
{
    Protection& m = *m_protection;
    ExchangeRecord r;
    r.kind = kind;
    r.hand = m.handId;
    r.step = step;
    r.text = text;
    Publish(r);
    // The host's own part follows at once (the first layers of a reveal, its
    // key of an ended hand).
    for (ExchangeRecord& own : m.me->Step(m.book))
        m.out += EncodeExchangeRecord(own);
}

std::optional<std::string> Table::SignedRequest(int seat)
{
    Protection& m = *m_protection;
    // A player who signed his leaving, whenever he did, folds on his turn.
    if (m.leavers.count(seat)) return std::string("D");
    const auto last = m.lastStep.find(seat);
    const std::optional<SignedLine> line =
        m.book.RequestOf(seat, m.handId, m.turnMark, last == m.lastStep.end() ? 0 : last->second);
    if (line) {
        m.lastStep[seat] = line->step;
        m.unsignedSeat = 0;
        return line->text;
    }
    // A request in the seat's record that its player did not sign: ignored,
    // and said once a turn when it stays (the signed one may be on its way).
    const std::string action = Trim(GetSeat(seat).Action);
    const bool request = !action.empty() && action != "-" && action != "X" && action != "A" && action != "D";
    if (!request) return std::nullopt;
    const Clock::TimePoint now = ProgramClock().Now();
    if (m.unsignedSeat != seat) {
        m.unsignedSeat = seat;
        m.unsignedSince = now;
        m.unsignedReported = false;
    } else if (!m.unsignedReported && now - m.unsignedSince >= std::chrono::seconds(3)) {
        m.unsignedReported = true;
        ++m_counters.unsignedIgnored;
        Send("s" + FormatText(Msg::UnsignedIgnored, m_state.PlayerNames[seat]));
        PlayerRecord r = GetSeat(seat);
        r.Action = "-";
        PutSeat(seat, r);
    }
    return std::nullopt;
}

void Table::MarkTurn()
{
    if (!m_protection) return;
    m_protection->turnMark = m_protection->nextRecord - 1;
    m_protection->unsignedSeat = 0;
}

bool Table::HeldUpADeal(int seat) const
{
    return m_protection && m_protection->stalled.count(seat) > 0;
}

void Table::BackFromStall(int seat)
{
    if (m_protection) m_protection->stalled.erase(seat);
}

bool Table::SignedLeave(int seat) const
{
    return !m_protection || m_protection->leavers.count(seat) > 0;
}

std::vector<std::string> Table::OwnCardLines() const
{
    return m_protection ? m_protection->cardLines : std::vector<std::string>{};
}

bool Table::ExchangeOutPending() const
{
    return m_protection && (!m_protection->out.empty() || !m_protection->toVouch.empty());
}

std::int64_t Table::ProtectedHandId() const
{
    return m_protection ? m_protection->handId : 0;
}

void Table::BotChat(int seat, const std::string& text)
{
    ExchangeRecord r;
    r.kind = ExchangeKind::Chat;
    r.step = seat;
    r.text = CutText(text);
    Publish(r);
}

void Table::FollowHost(int host)
{
    Protection& m = *m_protection;
    if (host == m.book.Host()) return;
    // Only the host's deals count: the exchange is read again from its start
    // with the new host's eyes (the hands of the one before are over). The
    // lines the one before wrote as host stay his to vouch for.
    m.formerHosts.insert(m.book.Host());
    m.book = ExchangeBook{};
    m.book.SetHost(host);
    m.nextRecord = 1;
}

void Table::TakeOverExchange()
{
    if (!m_protection) return;
    Protection& m = *m_protection;
    // The hand of the host that went is void, its stakes back already; the
    // exchange is read afresh with this table as the host.
    FollowHost(m_session.MyPlayerNo);
    m.pendingStart.reset();
    m.parked.reset();
    m.handId = 0;
}

} // namespace scrivo

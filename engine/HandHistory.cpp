#include "engine/HandHistory.h"

#include <algorithm>
#include <ctime>
#include <set>

#include "engine/FormatCash.h"
#include "engine/Table.h"
#include "gamefolder/RecordFile.h"
#include "platform/Text.h"

namespace scrivo {

namespace {

using K = JournalKind;

std::string CardsText(const std::vector<clsCard>& cards, std::size_t from = 0, std::size_t to = 5)
{
    std::string text = "[";
    for (std::size_t i = from; i < cards.size() && i < to; ++i)
        text += (i > from ? " " : "") + TrackerCard(cards[i]);
    return text + "]";
}

std::string UtcText(std::int64_t seconds, const char* format)
{
    const auto t = static_cast<std::time_t>(seconds);
    std::tm parts{};
    gmtime_r(&t, &parts);
    char text[40];
    std::strftime(text, sizeof text, format, &parts);
    return text;
}

// Everything a writer needs of one hand, gathered from its records.
struct HandFacts {
    const JournalRecord& table;
    const JournalHand& hand;
    std::vector<int> dealt; // seats dealt in, in seat order
    std::vector<clsCard> board;
    std::map<int, std::vector<clsCard>> shown;
    std::map<int, Currency> won;
    std::vector<const JournalRecord*> pots;
    int smallBlind = 0;
    int bigBlind = 0;
    std::map<int, int> foldedOn; // seat -> street (0 pre-flop .. 3 river)

    HandFacts(const JournalRecord& t, const JournalHand& h) : table(t), hand(h)
    {
        for (const JournalRecord& s : h.seats)
            if (s.Has(JournalFlag::Dealt)) dealt.push_back(s.seat);
        std::sort(dealt.begin(), dealt.end());
        int street = 0;
        for (const JournalRecord& r : h.events) {
            switch (r.kind) {
            case K::Board:
                board.insert(board.end(), r.cards.begin(), r.cards.end());
                street = board.size() >= 5 ? 3 : board.size() >= 4 ? 2 : 1;
                break;
            case K::Show:
                shown.emplace(r.seat, r.cards);
                break;
            case K::Win:
                won[r.seat] += r.amount;
                break;
            case K::Pot:
                pots.push_back(&r);
                break;
            case K::Blind:
                (r.Has(JournalFlag::Small) ? smallBlind : bigBlind) = r.seat;
                break;
            case K::Fold:
                foldedOn[r.seat] = street;
                break;
            default:
                break;
            }
        }
        // The machine settles the highest side pot first.
        std::sort(pots.begin(), pots.end(),
                  [](const JournalRecord* a, const JournalRecord* b) { return a->pot < b->pot; });
    }

    Currency Won(int seat) const { return won.count(seat) ? won.at(seat) : Currency(); }
    Currency TotalPot() const
    {
        Currency total;
        for (const JournalRecord* p : pots)
            total += p->amount;
        return total;
    }
};

// ---------------------------------------------------------------- text

class TextWriter {
public:
    TextWriter(const HandFacts& facts, const HistoryOptions& options) : m_f(facts), m_options(options) {}

    std::string Write()
    {
        Header();
        Actions();
        Summary();
        return m_out + "\n\n";
    }

private:
    std::string Cash(Currency amount) const { return FormatCash(amount, m_f.table.currencySymbol); }
    // A name may hold anything; a control character would break the layout.
    std::string Name(int seat) const { return EscapeControls(m_f.hand.Name(seat)); }
    void Out(const std::string& line) { m_out += line + "\n"; }

    void Header()
    {
        const JournalRecord& t = m_f.table;
        const char* game = t.gameType == "THLI"   ? "Hold'em Limit"
                           : t.gameType == "THPL" ? "Hold'em Pot Limit"
                                                  : "Hold'em No Limit";
        // A limit game names its small and big bet, the others their blinds.
        const std::string stakes =
            t.gameType == "THLI" ? Cash(t.to) + "/" + Cash(t.to * 2) : Cash(t.amount) + "/" + Cash(t.to);
        Out("PokerStars Hand #" + std::to_string(m_f.hand.id) + ":  " + game + " (" + stakes + ") - " +
            UtcText(m_f.hand.time, "%Y/%m/%d %H:%M:%S") + " UTC");
        Out("Table '" + EscapeControls(t.name) + "' 9-max Seat #" + std::to_string(m_f.hand.button) +
            " is the button");
        for (int p : m_f.dealt)
            Out("Seat " + std::to_string(p) + ": " + Name(p) + " (" + Cash(m_f.hand.SeatRecord(p)->amount) +
                " in chips)");
    }

    void Street(std::size_t boardSize)
    {
        const auto& b = m_f.board;
        if (boardSize == 3) Out("*** FLOP *** " + CardsText(b, 0, 3));
        if (boardSize == 4) Out("*** TURN *** " + CardsText(b, 0, 3) + " " + CardsText(b, 3, 4));
        if (boardSize == 5) Out("*** RIVER *** " + CardsText(b, 0, 4) + " " + CardsText(b, 4, 5));
        m_streetIn.clear();
        m_level = Currency();
    }

    void Actions()
    {
        std::size_t boardSize = 0;
        bool holeCards = false;
        bool showdown = false;
        std::vector<std::string> collected;
        const auto own = m_options.ownCards.find(m_f.hand.number);
        for (const JournalRecord& r : m_f.hand.events) {
            const std::string who = Name(r.seat);
            const std::string allIn = r.Has(JournalFlag::AllIn) ? " and is all-in" : "";
            if (r.kind != K::Blind && !holeCards) {
                holeCards = true;
                Out("*** HOLE CARDS ***");
                if (own != m_options.ownCards.end())
                    Out("Dealt to " + Name(m_options.viewer) + " " + CardsText(own->second));
            }
            switch (r.kind) {
            case K::Blind:
                m_streetIn[r.seat] += r.amount;
                m_level = std::max(m_level, m_streetIn[r.seat]);
                Out(who + ": posts " + (r.Has(JournalFlag::Small) ? "small" : "big") + " blind " +
                    Cash(r.amount) + allIn);
                break;
            case K::Check:
                if (r.Has(JournalFlag::TimedOut)) Out(who + " has timed out");
                Out(who + ": checks");
                break;
            case K::Call:
                m_streetIn[r.seat] += r.amount;
                Out(who + ": calls " + Cash(r.amount) + allIn);
                break;
            case K::Raise: {
                const Currency total = m_streetIn[r.seat] += r.amount;
                if (m_level.IsZero())
                    Out(who + ": bets " + Cash(r.amount) + allIn);
                else
                    Out(who + ": raises " + Cash(total - m_level) + " to " + Cash(total) + allIn);
                m_level = total;
                break;
            }
            case K::Fold:
                if (r.Has(JournalFlag::TimedOut)) Out(who + " has timed out");
                Out(who + ": folds");
                if (r.Has(JournalFlag::Left)) Out(who + " leaves the table");
                break;
            case K::Board:
                for (std::size_t i = 0; i < r.cards.size(); ++i)
                    Street(++boardSize);
                break;
            case K::Return:
                Out("Uncalled bet (" + Cash(r.amount) + ") returned to " + who);
                break;
            case K::Show:
                if (!showdown) Out("*** SHOW DOWN ***");
                showdown = true;
                if (m_showsWritten.insert(r.seat).second) Out(who + ": shows " + CardsText(r.cards));
                break;
            case K::Win:
                // Every hand shown first, then what each pot paid.
                collected.push_back(who + " collected " + Cash(r.amount) + " from " + PotName(r.pot));
                break;
            default:
                break;
            }
        }
        for (const std::string& line : collected)
            Out(line);
    }

    std::string PotName(int pot) const
    {
        const std::size_t n = m_f.pots.size();
        if (n <= 1) return "pot";
        if (pot <= 1) return "main pot";
        return n == 2 ? "side pot" : "side pot-" + std::to_string(pot - 1);
    }

    void Summary()
    {
        Out("*** SUMMARY ***");
        std::string pots = "Total pot " + Cash(m_f.TotalPot());
        if (m_f.pots.size() > 1)
            for (const JournalRecord* p : m_f.pots)
                pots += (p->pot <= 1 ? " Main pot " : " " + Capitalised(PotName(p->pot)) + " ") +
                        Cash(p->amount) + ".";
        Out(pots + " | Rake " + Cash(Currency()));
        if (!m_f.board.empty()) Out("Board " + CardsText(m_f.board));
        static constexpr const char* where[] = {"before Flop", "on the Flop", "on the Turn", "on the River"};
        for (int p : m_f.dealt) {
            std::string line = "Seat " + std::to_string(p) + ": " + Name(p);
            if (p == m_f.hand.button) line += " (button)";
            if (p == m_f.smallBlind) line += " (small blind)";
            if (p == m_f.bigBlind) line += " (big blind)";
            const Currency won = m_f.Won(p);
            const auto shown = m_f.shown.find(p);
            const auto folded = m_f.foldedOn.find(p);
            if (folded != m_f.foldedOn.end()) {
                line += " folded " + std::string(where[std::clamp(folded->second, 0, 3)]);
                if (folded->second == 0 && p != m_f.smallBlind && p != m_f.bigBlind) line += " (didn't bet)";
            } else if (shown != m_f.shown.end()) {
                line += " showed " + CardsText(shown->second);
                line += won.IsZero() ? " and lost" : " and won (" + Cash(won) + ")";
            } else if (!won.IsZero()) {
                line += " collected (" + Cash(won) + ")";
            } else {
                line += " mucked";
            }
            Out(line);
        }
    }

    static std::string Capitalised(std::string text)
    {
        if (!text.empty()) text[0] = static_cast<char>(text[0] - 'a' + 'A');
        return text;
    }

    const HandFacts& m_f;
    const HistoryOptions& m_options;
    std::string m_out;
    std::map<int, Currency> m_streetIn;
    Currency m_level;
    std::set<int> m_showsWritten;
};

// ---------------------------------------------------------------- JSON

std::string Json(const std::string& text)
{
    static constexpr char hex[] = "0123456789abcdef";
    std::string out = "\"";
    for (const char ch : text) {
        const auto c = static_cast<unsigned char>(ch);
        if (c == '"' || c == '\\') {
            out += '\\';
            out += ch;
        } else if (c < 0x20 || c == 0x7F) {
            out += "\\u00";
            out += hex[c >> 4];
            out += hex[c & 0xF];
        } else {
            out += ch;
        }
    }
    return out + "\"";
}

std::string Number(Currency amount)
{
    return amount.ToString();
}

std::string JsonCards(const std::vector<clsCard>& cards)
{
    std::string out = "[";
    for (std::size_t i = 0; i < cards.size(); ++i)
        out += (i ? ", " : "") + Json(TrackerCard(cards[i]));
    return out + "]";
}

// The code of the currencies whose sign a table may show; any other sign
// stands for itself.
std::string CurrencyCode(const std::string& symbol)
{
    if (symbol == "$") return "USD";
    if (symbol == "\xe2\x82\xac") return "EUR";
    if (symbol == "\xc2\xa3") return "GBP";
    return symbol.empty() ? "Chips" : symbol;
}

std::string OhhHand(const HandFacts& f, const HistoryOptions& options)
{
    const JournalRecord& t = f.table;
    const auto own = options.ownCards.find(f.hand.number);
    std::string o = "{\"ohh\": {\n";
    o += "  \"spec_version\": \"1.4.7\",\n  \"site_name\": \"Scrivo Poker\",\n  \"network_name\": \"Scrivo "
         "Poker\",\n";
    o += "  \"internal_version\": \"1\",\n  \"tournament\": false,\n";
    o += "  \"game_number\": " + Json(std::to_string(f.hand.id)) + ",\n";
    o += "  \"start_date_utc\": " + Json(UtcText(f.hand.time, "%Y-%m-%dT%H:%M:%SZ")) + ",\n";
    o += "  \"table_name\": " + Json(t.name) + ",\n  \"game_type\": \"Holdem\",\n";
    const std::string betType = t.gameType == "THLI" ? "FL" : t.gameType == "THPL" ? "PL" : "NL";
    o += "  \"bet_limit\": {\"bet_type\": \"" + betType + "\", \"bet_cap\": 0},\n";
    o += "  \"table_size\": " + std::to_string(MaxPlayers) + ",\n";
    o += "  \"currency\": " + Json(CurrencyCode(t.currencySymbol)) + ",\n";
    o += "  \"dealer_seat\": " + std::to_string(f.hand.button) + ",\n";
    o += "  \"small_blind_amount\": " + Number(t.amount) + ",\n  \"big_blind_amount\": " + Number(t.to) +
         ",\n  \"ante_amount\": 0,\n";
    // The hero only of the hands he is dealt into.
    if (std::find(f.dealt.begin(), f.dealt.end(), options.viewer) != f.dealt.end())
        o += "  \"hero_player_id\": " + std::to_string(options.viewer) + ",\n";
    o += "  \"flags\": [],\n  \"players\": [";
    for (std::size_t i = 0; i < f.dealt.size(); ++i) {
        const int p = f.dealt[i];
        o += std::string(i ? "," : "") + "\n    {\"id\": " + std::to_string(p) +
             ", \"seat\": " + std::to_string(p) + ", \"name\": " + Json(f.hand.Name(p)) +
             ", \"display\": " + Json(f.hand.Name(p)) +
             ", \"starting_stack\": " + Number(f.hand.SeatRecord(p)->amount);
        if (p == options.viewer && own != options.ownCards.end())
            o += ", \"cards\": " + JsonCards(own->second);
        o += "}";
    }
    o += "\n  ],\n  \"rounds\": [";
    static constexpr const char* streets[] = {"Preflop", "Flop", "Turn", "River", "Showdown"};
    int round = -1;
    int actionNo = 0;
    std::size_t boardSize = 0;
    bool firstAction = true;
    bool opened = true;
    const auto openRound = [&](int street, const std::vector<clsCard>& cards) {
        if (round >= 0) o += "\n    ]},";
        ++round;
        o += "\n    {\"id\": " + std::to_string(round) + ", \"street\": \"" + streets[street] +
             "\", \"cards\": " + JsonCards(cards) + ", \"actions\": [";
        firstAction = true;
        opened = street == 0;
    };
    const auto action = [&](int seat, const char* what, Currency amount, bool allIn,
                            const std::vector<clsCard>* cards) {
        o += std::string(firstAction ? "" : ",") +
             "\n      {\"action_number\": " + std::to_string(++actionNo) +
             ", \"player_id\": " + std::to_string(seat) + ", \"action\": \"" + what + "\"";
        if (cards) o += ", \"cards\": " + JsonCards(*cards);
        o += ", \"amount\": " + Number(amount) + ", \"is_allin\": " + (allIn ? "true" : "false") + "}";
        firstAction = false;
    };
    openRound(0, {});
    if (own != options.ownCards.end()) action(options.viewer, "Dealt Cards", Currency(), false, &own->second);
    bool showdown = false;
    std::set<int> showed;
    for (const JournalRecord& r : f.hand.events) {
        const bool allIn = r.Has(JournalFlag::AllIn);
        switch (r.kind) {
        case K::Blind:
            action(r.seat, r.Has(JournalFlag::Small) ? "Post SB" : "Post BB", r.amount, allIn, nullptr);
            break;
        case K::Check:
            action(r.seat, "Check", Currency(), false, nullptr);
            break;
        case K::Call:
            action(r.seat, "Call", r.amount, allIn, nullptr);
            break;
        case K::Raise:
            // A bet opens the betting of a round after the flop; every other
            // increase (the blinds open the first round) is a raise.
            action(r.seat, opened ? "Raise" : "Bet", r.amount, allIn, nullptr);
            opened = true;
            break;
        case K::Fold:
            action(r.seat, "Fold", Currency(), false, nullptr);
            break;
        case K::Board: {
            std::size_t i = 0;
            while (i < r.cards.size()) {
                const std::size_t take = boardSize == 0 ? 3 : 1;
                std::vector<clsCard> cards(
                    r.cards.begin() + static_cast<std::ptrdiff_t>(i),
                    r.cards.begin() + static_cast<std::ptrdiff_t>(std::min(i + take, r.cards.size())));
                boardSize += cards.size();
                i += cards.size();
                openRound(boardSize >= 5 ? 3 : boardSize >= 4 ? 2 : 1, cards);
            }
            break;
        }
        case K::Show:
            if (!showdown) openRound(4, {});
            showdown = true;
            if (showed.insert(r.seat).second) action(r.seat, "Shows Cards", Currency(), false, &r.cards);
            break;
        default:
            break;
        }
    }
    o += "\n    ]}\n  ],\n  \"pots\": [";
    for (std::size_t i = 0; i < f.pots.size(); ++i) {
        const JournalRecord& pot = *f.pots[i];
        o += std::string(i ? "," : "") + "\n    {\"number\": " + std::to_string(pot.pot - 1) +
             ", \"amount\": " + Number(pot.amount) + ", \"rake\": 0, \"jackpot\": 0, \"player_wins\": [";
        bool first = true;
        for (const JournalRecord& r : f.hand.events) {
            if (r.kind != K::Win || r.pot != pot.pot) continue;
            o += std::string(first ? "" : ", ") + "{\"player_id\": " + std::to_string(r.seat) +
                 ", \"win_amount\": " + Number(r.amount) + ", \"contributed_rake\": 0}";
            first = false;
        }
        o += "]}";
    }
    o += "\n  ]\n}}\n\n";
    return o;
}

} // namespace

std::optional<HistoryFormat> ParseHistoryFormat(const std::string& name)
{
    if (name == "pokerstars") return HistoryFormat::PokerStars;
    if (name == "ohh") return HistoryFormat::Ohh;
    return std::nullopt;
}

std::string TrackerCard(const clsCard& card)
{
    static constexpr char faces[] = "23456789TJQKA";
    static constexpr char suits[] = "hdsc";
    if (!IsValidCard(card)) return "??";
    return {faces[card.facevalue], suits[card.suit]};
}

HistoryText WriteHandHistory(const JournalGame& game, const HistoryOptions& options)
{
    HistoryText out;
    for (const JournalHand& hand : game.hands) {
        if (!game.table || !VerifyHand(*game.table, hand).Ok()) {
            ++out.handsSkipped;
            continue;
        }
        const HandFacts facts(*game.table, hand);
        out.text += options.format == HistoryFormat::Ohh ? OhhHand(facts, options)
                                                         : TextWriter(facts, options).Write();
        ++out.handsWritten;
    }
    return out;
}

std::map<std::uint32_t, std::vector<clsCard>> OwnHoleCards(const JournalGame& game, int viewer,
                                                           const std::vector<std::string>& lines)
{
    std::map<std::uint32_t, std::vector<clsCard>> own;
    if (viewer < 1 || viewer > MaxPlayers) return own;
    const std::string mark = std::to_string(viewer) + "c";
    std::vector<std::vector<clsCard>> dealt;
    for (const std::string& line : lines) {
        if (line.compare(0, mark.size(), mark) != 0) continue;
        const CardListParseResult cards = ParseCardList(std::string_view(line).substr(mark.size()));
        if (cards.ok && cards.cards.size() == 2) dealt.push_back(cards.cards);
    }
    std::size_t next = 0;
    for (const JournalHand& hand : game.hands) {
        const JournalRecord* seat = hand.SeatRecord(viewer);
        if (!seat || !seat->Has(JournalFlag::Dealt)) continue;
        if (next >= dealt.size()) break;
        own[hand.number] = dealt[next++];
    }
    // Lines and hands out of step show where the viewer showed down.
    for (const JournalHand& hand : game.hands) {
        const auto it = own.find(hand.number);
        if (it == own.end()) continue;
        for (const JournalRecord& r : hand.events)
            if (r.kind == K::Show && r.seat == viewer &&
                !(r.cards.size() == 2 && r.cards[0].SameCard(it->second[0]) &&
                  r.cards[1].SameCard(it->second[1])))
                return {};
    }
    return own;
}

namespace {

// Every message line of a folder, for the viewer's own cards.
std::vector<std::string> FolderLines(const std::string& folder)
{
    std::vector<std::string> lines;
    std::int64_t last = 0;
    for (;;) {
        auto batch = ReadMessagesSince(folder, last);
        if (!batch || batch->lines.empty() || batch->restarted) break;
        lines.insert(lines.end(), batch->lines.begin(), batch->lines.end());
        last = batch->lastRecord;
    }
    return lines;
}

std::optional<JournalGame> FolderJournal(const std::string& folder, std::string& error)
{
    auto batch = ReadJournalFile(folder);
    if (!batch) {
        error = "Cannot read the journal: " + batch.status.description;
        return std::nullopt;
    }
    JournalGame game = GroupJournal(batch->records);
    game.damagedBytes = batch->damagedBytes;
    return game;
}

} // namespace

std::optional<HistoryText> FolderHandHistory(const std::string& folder, HistoryFormat format, int viewer,
                                             std::string& error)
{
    std::optional<JournalGame> game = FolderJournal(folder, error);
    if (!game) return std::nullopt;
    HistoryOptions options;
    options.format = format;
    options.viewer = viewer;
    options.ownCards = OwnHoleCards(*game, viewer, FolderLines(folder));
    return WriteHandHistory(*game, options);
}

std::optional<HistoryText> TableHandHistory(const Table& table, HistoryFormat format, std::string& error)
{
    std::optional<JournalGame> game = FolderJournal(table.Session().GameFolder, error);
    if (!game) return std::nullopt;
    HistoryOptions options;
    options.format = format;
    options.viewer = table.Session().MyPlayerNo;
    // At a protected table the own cards are in no file: the table kept them.
    std::vector<std::string> lines = table.MsgLines();
    const std::vector<std::string> own = table.OwnCardLines();
    lines.insert(lines.end(), own.begin(), own.end());
    options.ownCards = OwnHoleCards(*game, options.viewer, lines);
    return WriteHandHistory(*game, options);
}

FolderVerdict VerifyFolder(const std::string& folder)
{
    FolderVerdict out;
    std::string error;
    std::optional<JournalGame> game = FolderJournal(folder, error);
    if (!game) {
        out.lines.push_back(error);
        out.ok = false;
        return out;
    }
    if (game->damagedBytes > 0) {
        out.lines.push_back("journal: " + std::to_string(game->damagedBytes) + " damaged bytes skipped");
        out.ok = false;
    }
    if (!game->table) {
        out.lines.push_back(game->hands.empty() ? "no hands in the journal" : "journal: no table record");
        out.ok = out.ok && game->hands.empty();
        return out;
    }
    const std::string symbol = game->table->currencySymbol;
    for (std::size_t i = 0; i < game->hands.size(); ++i) {
        const JournalHand& hand = game->hands[i];
        const HandVerdict v = VerifyHand(*game->table, hand);
        std::string line = "hand " + std::to_string(hand.number) + " #" + std::to_string(hand.id) + ": ";
        // The last hand may still be going on, or the host left during it.
        if (!v.Ok() && v.problem == HandVerdict::Problem::Incomplete && !hand.damaged &&
            i + 1 == game->hands.size()) {
            out.lines.push_back(line + "unfinished");
            continue;
        }
        if (v.Ok()) {
            out.lines.push_back(line + "adds up");
            continue;
        }
        out.ok = false;
        line += "does not add up: ";
        if (v.seat > 0) line += hand.Name(v.seat) + ": ";
        line += v.detail;
        if (!v.amount.IsZero()) line += " (" + FormatCash(v.amount, symbol) + ")";
        out.lines.push_back(line);
    }
    return out;
}

} // namespace scrivo

#include "engine/HandHistory.h"

#include <algorithm>
#include <array>
#include <cctype>
#include <ctime>
#include <functional>
#include <map>

#include "engine/FormatCash.h"
#include "engine/Table.h"
#include "gamefolder/RecordFile.h"
#include "gamefolder/Records.h"
#include "platform/Text.h"
#include "settings/Language.h"
#include "settings/TextIds.h"

namespace scrivo {

// ---------------------------------------------------------------- hand sums

Currency HistoryHand::ContributedBy(const std::string& player) const
{
    Currency sum;
    for (const HistoryAction& a : actions)
        if (a.player == player) sum += a.amount;
    return sum;
}

Currency HistoryHand::CollectedBy(const std::string& player) const
{
    Currency sum;
    for (const HistoryWin& w : wins)
        if (w.player == player) sum += w.amount;
    return sum;
}

Currency HistoryHand::Contributed() const
{
    Currency sum;
    for (const HistoryAction& a : actions)
        sum += a.amount;
    return sum;
}

Currency HistoryHand::Collected() const
{
    Currency sum;
    for (const HistoryWin& w : wins)
        sum += w.amount;
    return sum;
}

bool HistoryHand::Balanced() const
{
    return !wins.empty() && Contributed() == Collected();
}

namespace {

// ---------------------------------------------------------------- templates

enum class Arg { Name, Amount, Number };

// A message text cut into literal pieces and the places of its arguments
// ("%" first, "$" second, "*" third).
struct Template {
    struct Piece {
        std::string literal;
        int arg = 0; // 1..3 for an argument, 0 for a literal
    };
    std::vector<Piece> pieces;
    std::array<Arg, 4> kinds{};
    bool tailAllowed = false; // more text may follow (the first hand's header)
    bool empty = true;
};

Template MakeTemplate(const std::string& text, Arg a1, Arg a2 = Arg::Name, Arg a3 = Arg::Name)
{
    Template t;
    t.kinds = {Arg::Name, a1, a2, a3};
    t.empty = Trim(text).empty();
    std::string literal;
    for (char ch : text) {
        const int arg = ch == '%' ? 1 : ch == '$' ? 2 : ch == '*' ? 3 : 0;
        if (arg == 0) {
            literal += ch;
            continue;
        }
        if (!literal.empty()) t.pieces.push_back({literal, 0});
        literal.clear();
        t.pieces.push_back({{}, arg});
    }
    if (!literal.empty()) t.pieces.push_back({literal, 0});
    // Lines are compared without their outer blanks and line breaks.
    if (!t.pieces.empty() && t.pieces.front().arg == 0) {
        std::string& first = t.pieces.front().literal;
        first.erase(0, first.find_first_not_of(" \r\n"));
    }
    if (!t.pieces.empty() && t.pieces.back().arg == 0) {
        std::string& last = t.pieces.back().literal;
        last.erase(last.find_last_not_of(" \r\n") + 1);
    }
    return t;
}

// An amount as FormatCash writes it: the symbol, digits, at most two decimals.
std::optional<Currency> ParseAmount(std::string_view text, const std::string& symbol)
{
    if (text.substr(0, symbol.size()) != symbol) return std::nullopt;
    text.remove_prefix(symbol.size());
    if (text.empty() || !std::isdigit(static_cast<unsigned char>(text.front())) ||
        !std::isdigit(static_cast<unsigned char>(text.back())))
        return std::nullopt;
    const std::size_t dot = text.find('.');
    if (dot != std::string_view::npos && text.size() - dot - 1 != 2) return std::nullopt;
    for (char ch : text)
        if (ch != '.' && !std::isdigit(static_cast<unsigned char>(ch))) return std::nullopt;
    return Currency::Parse(text);
}

struct Matcher {
    const Template& t;
    const std::string& symbol;
    std::string_view text;
    std::array<std::string, 4> args{};

    bool Valid(int arg, std::string_view value) const
    {
        switch (t.kinds[static_cast<std::size_t>(arg)]) {
        case Arg::Name:
            return !value.empty();
        case Arg::Amount:
            return ParseAmount(value, symbol).has_value();
        case Arg::Number:
            return !value.empty() && value.size() < 9 && std::all_of(value.begin(), value.end(), [](char c) {
                return std::isdigit(static_cast<unsigned char>(c));
            });
        }
        return false;
    }

    bool From(std::size_t piece, std::size_t pos)
    {
        if (piece == t.pieces.size()) return pos == text.size() || t.tailAllowed;
        const Template::Piece& p = t.pieces[piece];
        if (p.arg == 0) {
            if (text.substr(pos, p.literal.size()) != p.literal) return false;
            return From(piece + 1, pos + p.literal.size());
        }
        // An argument: try each end where the rest can follow.
        const bool nextIsLiteral = piece + 1 < t.pieces.size() && t.pieces[piece + 1].arg == 0;
        for (std::size_t end = pos + 1; end <= text.size(); ++end) {
            if (nextIsLiteral) {
                end = text.find(t.pieces[piece + 1].literal, end);
                if (end == std::string_view::npos) return false;
            } else if (piece + 1 == t.pieces.size() && !t.tailAllowed && end != text.size()) {
                continue;
            }
            const std::string_view value = text.substr(pos, end - pos);
            if (!Valid(p.arg, value)) continue;
            args[static_cast<std::size_t>(p.arg)] = std::string(value);
            if (From(piece + 1, end)) return true;
        }
        return false;
    }
};

std::optional<std::array<std::string, 4>> Match(const Template& t, std::string_view text,
                                                const std::string& symbol)
{
    if (t.empty) return std::nullopt;
    Matcher m{t, symbol, text};
    if (!m.From(0, 0)) return std::nullopt;
    return m.args;
}

// ---------------------------------------------------------------- parser

class Parser {
public:
    Parser(int viewer, const Language& language, const std::string& symbol)
        : m_viewer(viewer), m_symbol(symbol)
    {
        auto make = [&](MsgId n, Arg a1, Arg a2 = Arg::Name, Arg a3 = Arg::Name) {
            m_templates[n] = MakeTemplate(language.LangText[n], a1, a2, a3);
        };
        make(Msg::HandHeader, Arg::Number);
        m_templates[Msg::HandHeader].tailAllowed = true;
        make(Msg::PostsSmallBlind, Arg::Name, Arg::Amount);
        make(Msg::PostsBigBlind, Arg::Name, Arg::Amount);
        make(Msg::AllInSmallBlind, Arg::Name, Arg::Amount);
        make(Msg::AllInBigBlind, Arg::Name, Arg::Amount);
        make(Msg::Checks, Arg::Name);
        make(Msg::GoesAllIn, Arg::Name, Arg::Amount);
        make(Msg::PutsInRaising, Arg::Name, Arg::Amount, Arg::Amount);
        make(Msg::AllInRaising, Arg::Name, Arg::Amount, Arg::Amount);
        make(Msg::Calls, Arg::Name, Arg::Amount);
        make(Msg::Folds, Arg::Name);
        make(Msg::Wins, Arg::Name, Arg::Amount);
        make(Msg::MainPotUncontested, Arg::Name);
        make(Msg::SidePotUncontested, Arg::Name, Arg::Number);
        make(Msg::ShowdownMainPot, Arg::Name);
        make(Msg::ShowdownSidePot, Arg::Number);
        make(Msg::PlayersSharePot, Arg::Number);
        make(Msg::Flop, Arg::Name);
        make(Msg::Turn, Arg::Name);
        make(Msg::River, Arg::Name);
        make(Msg::RestOfBoard, Arg::Name);
        make(Msg::DealingHoleCards, Arg::Name);
        make(Msg::OutOfChips, Arg::Name);
        make(Msg::GameOver, Arg::Name);
        make(Msg::PlayerLeft, Arg::Name);
        make(Msg::HostLeft, Arg::Name);
        make(Msg::UncalledReturned, Arg::Name, Arg::Amount);
        make(Msg::TimedOutChecks, Arg::Name);
        make(Msg::TimedOutFolds, Arg::Name);
        make(Msg::AwayFolds, Arg::Name);
    }

    void Line(std::string_view line)
    {
        if (line.empty()) return;
        if (std::isdigit(static_cast<unsigned char>(line.front()))) {
            // A private line: only the viewer's own cards are of interest.
            if (line.size() >= 2 && line[0] - '0' == m_viewer && line[1] == 'c' && m_hand) {
                const CardListParseResult cards = ParseCardList(line.substr(2));
                if (cards.ok && cards.cards.size() == 2) {
                    m_hand->holeCards = cards.cards;
                    ++m_result.matchedLines;
                }
            }
            return;
        }
        const char kind = line.front();
        std::string_view text = line.substr(1);
        while (!text.empty() && (text.front() == '\r' || text.front() == '\n' || text.front() == ' '))
            text.remove_prefix(1);
        while (!text.empty() && (text.back() == '\r' || text.back() == '\n' || text.back() == ' '))
            text.remove_suffix(1);
        if (Known(kind, text)) ++m_result.matchedLines;
    }

    ParsedHistory Finish()
    {
        Close();
        return std::move(m_result);
    }

private:
    using Args = std::array<std::string, 4>;

    std::optional<Args> Try(MsgId n, std::string_view text) const
    {
        const auto it = m_templates.find(n);
        return it == m_templates.end() ? std::nullopt : Match(it->second, text, m_symbol);
    }

    Currency Amount(const std::string& text) const
    {
        return ParseAmount(text, m_symbol).value_or(Currency());
    }

    void Close()
    {
        if (m_hand && (!m_hand->actions.empty() || !m_hand->wins.empty())) m_result.hands.push_back(*m_hand);
        m_hand.reset();
    }

    void Appear(const std::string& player)
    {
        if (!m_hand) return;
        if (std::find(m_hand->players.begin(), m_hand->players.end(), player) == m_hand->players.end())
            m_hand->players.push_back(player);
    }

    void Act(HistoryAction::Kind kind, const std::string& player, Currency amount, bool allIn)
    {
        if (!m_hand) return;
        Appear(player);
        m_hand->actions.push_back({kind, player, amount, allIn, m_street});
    }

    void Win(const std::string& player, Currency amount)
    {
        if (!m_hand) return;
        Appear(player);
        m_hand->wins.push_back({player, amount, m_pot, m_showdown});
    }

    bool Known(char kind, std::string_view text)
    {
        using K = HistoryAction::Kind;
        std::optional<Args> a;
        switch (kind) {
        case 'i':
            if ((a = Try(Msg::HandHeader, text))) {
                Close();
                m_hand.emplace();
                m_hand->number = std::stol(a->at(1));
                m_street = 0;
                m_pending = Pending::None;
                return true;
            }
            return false;
        case 's':
            if ((a = Try(Msg::PostsSmallBlind, text)))
                return Act(K::SmallBlind, a->at(1), Amount(a->at(2)), false), true;
            if ((a = Try(Msg::PostsBigBlind, text)))
                return Act(K::BigBlind, a->at(1), Amount(a->at(2)), false), true;
            if ((a = Try(Msg::AllInSmallBlind, text)))
                return Act(K::SmallBlind, a->at(1), Amount(a->at(2)), true), true;
            if ((a = Try(Msg::AllInBigBlind, text)))
                return Act(K::BigBlind, a->at(1), Amount(a->at(2)), true), true;
            if ((a = Try(Msg::AllInRaising, text)))
                return Act(K::Put, a->at(1), Amount(a->at(2)), true), true;
            if ((a = Try(Msg::PutsInRaising, text)))
                return Act(K::Put, a->at(1), Amount(a->at(2)), false), true;
            if ((a = Try(Msg::GoesAllIn, text))) return Act(K::Put, a->at(1), Amount(a->at(2)), true), true;
            if ((a = Try(Msg::Calls, text))) return Act(K::Put, a->at(1), Amount(a->at(2)), false), true;
            if ((a = Try(Msg::Checks, text))) return Act(K::Check, a->at(1), Currency(), false), true;
            if (Try(Msg::PlayersSharePot, text) || Try(Msg::GameOver, text)) return true;
            // The host acting for a player whose time ran out: the check or
            // fold itself follows as its own line.
            return Try(Msg::TimedOutChecks, text) || Try(Msg::TimedOutFolds, text) ||
                   Try(Msg::AwayFolds, text);
        case 'w':
            if ((a = Try(Msg::Wins, text))) return Win(a->at(1), Amount(a->at(2))), true;
            // The part of a bet nobody called goes back to whoever put it in.
            if ((a = Try(Msg::UncalledReturned, text))) return Win(a->at(1), Amount(a->at(2))), true;
            if ((a = Try(Msg::Folds, text))) return Act(K::Fold, a->at(1), Currency(), false), true;
            return Try(Msg::PlayerLeft, text) || Try(Msg::HostLeft, text);
        case 'd':
            if (Try(Msg::DealingHoleCards, text)) return true;
            if (Try(Msg::Flop, text) || Try(Msg::Turn, text) || Try(Msg::River, text) ||
                Try(Msg::RestOfBoard, text)) {
                m_pending = Pending::Board;
                return true;
            }
            if (Try(Msg::MainPotUncontested, text)) return m_pot = 0, m_showdown = false, true;
            if ((a = Try(Msg::SidePotUncontested, text))) {
                m_pot = std::stoi(a->at(2));
                m_showdown = false;
                return true;
            }
            if (Try(Msg::ShowdownMainPot, text)) return m_pot = 0, m_showdown = true, true;
            if ((a = Try(Msg::ShowdownSidePot, text))) {
                m_pot = std::stoi(a->at(1));
                m_showdown = true;
                return true;
            }
            return false;
        case 'c':
            return Cards(text);
        case 'n':
            if (!m_hand || text.size() < 2 || text.back() != ':') return false;
            m_shower = std::string(text.substr(0, text.size() - 1));
            m_pending = Pending::BestCards;
            return true;
        case 't':
            if (!m_hand || m_pending != Pending::Description) return false;
            m_hand->shows.back().description = std::string(text);
            m_pending = Pending::None;
            return true;
        case 'b':
            return Try(Msg::OutOfChips, text).has_value();
        default:
            return false;
        }
    }

    bool Cards(std::string_view text)
    {
        if (!m_hand) return false;
        const CardListParseResult cards = ParseCardList(text);
        if (!cards.ok) return false;
        if (m_pending == Pending::Board) {
            m_pending = Pending::None;
            if (m_hand->board.size() + cards.cards.size() > 5) return false;
            m_hand->board.insert(m_hand->board.end(), cards.cards.begin(), cards.cards.end());
            m_street = std::min<int>(3, static_cast<int>(m_hand->board.size()) - 2);
            return true;
        }
        if (m_pending == Pending::BestCards) {
            Appear(m_shower);
            // A player is shown once even when several pots are settled.
            auto seen = std::find_if(m_hand->shows.begin(), m_hand->shows.end(),
                                     [&](const HistoryShow& s) { return s.player == m_shower; });
            if (seen != m_hand->shows.end()) m_hand->shows.erase(seen);
            m_hand->shows.push_back({m_shower, cards.cards, {}});
            m_pending = Pending::Description;
            return true;
        }
        return false;
    }

    enum class Pending { None, Board, BestCards, Description };

    int m_viewer;
    std::string m_symbol;
    std::map<MsgId, Template> m_templates;
    ParsedHistory m_result;
    std::optional<HistoryHand> m_hand;
    int m_street = 0;
    int m_pot = 0;
    bool m_showdown = false;
    Pending m_pending = Pending::None;
    std::string m_shower;
};

} // namespace

ParsedHistory ParseHandHistory(const std::vector<std::string>& lines, int viewer, const Language& language,
                               const std::string& currencySymbol)
{
    Parser parser(viewer, language, currencySymbol);
    for (const std::string& line : lines)
        parser.Line(line);
    return parser.Finish();
}

ParsedHistory ParseHandHistoryBest(const std::vector<std::string>& lines, int viewer,
                                   const std::vector<const Language*>& languages,
                                   const std::string& currencySymbol, std::size_t* chosen)
{
    ParsedHistory best;
    bool any = false;
    for (std::size_t i = 0; i < languages.size(); ++i) {
        if (!languages[i]) continue;
        ParsedHistory parsed = ParseHandHistory(lines, viewer, *languages[i], currencySymbol);
        if (!any || parsed.matchedLines > best.matchedLines) {
            best = std::move(parsed);
            any = true;
            if (chosen) *chosen = i;
        }
    }
    return best;
}

// ---------------------------------------------------------------- writer

std::string FormatHistoryDate(long long secondsSinceEpoch)
{
    const std::time_t t = static_cast<std::time_t>(secondsSinceEpoch);
    std::tm parts{};
    localtime_r(&t, &parts);
    char text[32];
    std::strftime(text, sizeof text, "%Y/%m/%d %H:%M:%S", &parts);
    return text;
}

std::string TrackerCard(const clsCard& card)
{
    static constexpr char faces[] = "23456789TJQKA";
    static constexpr char suits[] = "hdsc";
    if (!IsValidCard(card)) return "??";
    return {faces[card.facevalue], suits[card.suit]};
}

namespace {

std::string CardsText(const std::vector<clsCard>& cards, std::size_t from = 0, std::size_t to = 99)
{
    std::string text = "[";
    for (std::size_t i = from; i < cards.size() && i < to; ++i)
        text += (i > from ? " " : "") + TrackerCard(cards[i]);
    return text + "]";
}

std::string GameTypeName(const std::string& type)
{
    if (type == "THLI") return "Hold'em Limit";
    if (type == "THPL") return "Hold'em Pot Limit";
    return "Hold'em No Limit";
}

class HandWriter {
public:
    HandWriter(const HistoryHand& hand, const HistoryGame& game,
               const std::map<std::string, Currency>* stacks)
        : m_hand(hand), m_game(game), m_stacks(stacks)
    {
    }

    std::string Write()
    {
        Header();
        Actions();
        Summary();
        return m_out + "\n\n";
    }

private:
    std::string Cash(Currency amount) const { return FormatCash(amount, m_game.currencySymbol); }
    void Out(const std::string& line) { m_out += line + "\n"; }

    int Seat(const std::string& player) const
    {
        const auto& names = m_game.seatNames;
        const auto it = std::find(names.begin(), names.end(), player);
        if (it != names.end()) return static_cast<int>(it - names.begin()) + 1;
        // Unknown seats follow the known ones in the order of appearance.
        const auto at = std::find(m_hand.players.begin(), m_hand.players.end(), player);
        return static_cast<int>(names.size() + static_cast<std::size_t>(at - m_hand.players.begin())) + 1;
    }

    std::string Blind(HistoryAction::Kind kind) const
    {
        for (const HistoryAction& a : m_hand.actions)
            if (a.kind == kind) return a.player;
        return {};
    }

    // The button sits right before the small blind among the hand's players.
    std::string Button() const
    {
        const std::string sb = Blind(HistoryAction::Kind::SmallBlind);
        std::vector<std::string> seated = m_hand.players;
        std::sort(seated.begin(), seated.end(),
                  [&](const std::string& a, const std::string& b) { return Seat(a) < Seat(b); });
        const auto it = std::find(seated.begin(), seated.end(), sb);
        if (it == seated.end() || seated.empty()) return seated.empty() ? std::string() : seated.front();
        return it == seated.begin() ? seated.back() : *(it - 1);
    }

    void Header()
    {
        const bool limit = m_game.gameType == "THLI";
        const std::string stakes = limit ? Cash(m_game.bigBlind) + "/" + Cash(m_game.bigBlind * 2)
                                         : Cash(m_game.smallBlind) + "/" + Cash(m_game.bigBlind);
        Out("Scrivo Poker Hand #" + std::to_string(m_hand.number) + ": " + GameTypeName(m_game.gameType) +
            " (" + stakes + ") - " + m_game.date);
        m_button = Button();
        Out("Table '" + m_game.tableName + "' 9-max Seat #" + std::to_string(Seat(m_button)) +
            " is the button");
        std::vector<std::string> seated = m_hand.players;
        std::sort(seated.begin(), seated.end(),
                  [&](const std::string& a, const std::string& b) { return Seat(a) < Seat(b); });
        for (const std::string& p : seated) {
            std::string line = "Seat " + std::to_string(Seat(p)) + ": " + p;
            if (m_stacks) {
                const auto it = m_stacks->find(p);
                if (it != m_stacks->end()) line += " (" + Cash(it->second) + " in chips)";
            }
            Out(line);
        }
    }

    void Street(int street)
    {
        static const char* names[] = {"", "FLOP", "TURN", "RIVER"};
        const auto& b = m_hand.board;
        if (street == 1) Out("*** FLOP *** " + CardsText(b, 0, 3));
        if (street >= 2)
            Out(std::string("*** ") + names[street] + " *** " +
                CardsText(b, 0, static_cast<std::size_t>(street + 1)) + " " +
                CardsText(b, static_cast<std::size_t>(street + 1), static_cast<std::size_t>(street + 2)));
        m_level = Currency();
        m_streetIn.clear();
    }

    void Actions()
    {
        using K = HistoryAction::Kind;
        bool holeCardsShown = false;
        int street = 0;
        auto holeCards = [&] {
            if (holeCardsShown) return;
            holeCardsShown = true;
            Out("*** HOLE CARDS ***");
            if (m_hand.holeCards.size() == 2) {
                // The viewer's seat: the own cards come from a private line.
                Out("Dealt to " + m_viewerName + " " + CardsText(m_hand.holeCards));
            }
        };
        m_viewerName = ViewerName();
        for (const HistoryAction& a : m_hand.actions) {
            if (a.kind != K::SmallBlind && a.kind != K::BigBlind) holeCards();
            while (street < a.street && street < 3)
                Street(++street);
            const std::string allIn = a.allIn ? " and is all-in" : "";
            Currency& in = m_streetIn[a.player];
            switch (a.kind) {
            case K::SmallBlind:
            case K::BigBlind:
                Out(a.player + ": posts " + (a.kind == K::SmallBlind ? "small" : "big") + " blind " +
                    Cash(a.amount) + allIn);
                in += a.amount;
                m_level = std::max(m_level, in);
                break;
            case K::Check:
                Out(a.player + ": checks");
                break;
            case K::Fold:
                Out(a.player + ": folds");
                m_folded[a.player] = street;
                break;
            case K::Put: {
                const Currency total = in + a.amount;
                if (total <= m_level)
                    Out(a.player + ": calls " + Cash(a.amount) + allIn);
                else if (m_level.IsZero())
                    Out(a.player + ": bets " + Cash(a.amount) + allIn);
                else
                    Out(a.player + ": raises " + Cash(total - m_level) + " to " + Cash(total) + allIn);
                in = total;
                m_level = std::max(m_level, total);
                break;
            }
            }
        }
        holeCards();
        // Cards dealt after the last action: a run-out, or a board nobody bet on.
        const int dealt = m_hand.board.size() >= 3 ? static_cast<int>(m_hand.board.size()) - 2 : 0;
        while (street < dealt)
            Street(++street);
        if (!m_hand.shows.empty()) {
            Out("*** SHOW DOWN ***");
            for (const HistoryShow& s : m_hand.shows)
                Out(s.player + ": shows " + CardsText(Shown(s)) + " (" + s.description + ")");
        }
        for (const HistoryWin& w : m_hand.wins)
            Out(w.player + " collected " + Cash(w.amount) + " from " + PotName(w.pot));
    }

    std::string PotName(int pot) const
    {
        const bool sidePots = std::any_of(m_hand.wins.begin(), m_hand.wins.end(),
                                          [](const HistoryWin& w) { return w.pot > 0; });
        if (!sidePots) return "pot";
        return pot == 0 ? "main pot" : "side pot-" + std::to_string(pot);
    }

    std::string ViewerName() const
    {
        // The viewer is the one seat whose name the game gives for the own
        // player; without it the cards stay unnamed.
        return m_game.viewer >= 1 && m_game.viewer <= static_cast<int>(m_game.seatNames.size())
                   ? m_game.seatNames[static_cast<std::size_t>(m_game.viewer - 1)]
                   : std::string("Hero");
    }

    // Hole cards as far as the log shows them: the viewer's own, for others
    // the best five less the board.
    std::vector<clsCard> Shown(const HistoryShow& s) const
    {
        if (s.player == m_viewerName && m_hand.holeCards.size() == 2) return m_hand.holeCards;
        std::vector<clsCard> own;
        for (const clsCard& c : s.bestCards)
            if (std::none_of(m_hand.board.begin(), m_hand.board.end(),
                             [&](const clsCard& b) { return b.SameCard(c); }))
                own.push_back(c);
        return own;
    }

    void Summary()
    {
        Out("*** SUMMARY ***");
        std::string pots = "Total pot " + Cash(m_hand.Contributed());
        std::map<int, Currency> byPot;
        for (const HistoryWin& w : m_hand.wins)
            byPot[w.pot] += w.amount;
        if (byPot.size() > 1 || (byPot.size() == 1 && byPot.begin()->first > 0)) {
            for (const auto& [pot, amount] : byPot)
                pots +=
                    (pot == 0 ? " Main pot " : " Side pot-" + std::to_string(pot) + " ") + Cash(amount) + ".";
        }
        Out(pots + " | Rake " + Cash(Currency()));
        if (!m_hand.board.empty()) Out("Board " + CardsText(m_hand.board));
        static const char* where[] = {"before Flop", "on the Flop", "on the Turn", "on the River"};
        const std::string sb = Blind(HistoryAction::Kind::SmallBlind);
        const std::string bb = Blind(HistoryAction::Kind::BigBlind);
        std::vector<std::string> seated = m_hand.players;
        std::sort(seated.begin(), seated.end(),
                  [&](const std::string& a, const std::string& b) { return Seat(a) < Seat(b); });
        for (const std::string& p : seated) {
            std::string line = "Seat " + std::to_string(Seat(p)) + ": " + p;
            if (p == m_button) line += " (button)";
            if (p == sb) line += " (small blind)";
            if (p == bb) line += " (big blind)";
            const Currency won = m_hand.CollectedBy(p);
            const auto shown = std::find_if(m_hand.shows.begin(), m_hand.shows.end(),
                                            [&](const HistoryShow& s) { return s.player == p; });
            const auto folded = m_folded.find(p);
            if (folded != m_folded.end()) {
                line += " folded " + std::string(where[std::clamp(folded->second, 0, 3)]);
                if (folded->second == 0 && m_hand.ContributedBy(p).IsZero()) line += " (didn't bet)";
            } else if (shown != m_hand.shows.end()) {
                line += " showed " + CardsText(Shown(*shown));
                line += won.IsZero() ? " and lost" : " and won (" + Cash(won) + ")";
                line += " with " + shown->description;
            } else if (!won.IsZero()) {
                line += " collected (" + Cash(won) + ")";
            }
            Out(line);
        }
    }

    const HistoryHand& m_hand;
    const HistoryGame& m_game;
    const std::map<std::string, Currency>* m_stacks;
    std::string m_out;
    std::string m_button;
    std::string m_viewerName;
    Currency m_level;
    std::map<std::string, Currency> m_streetIn;
    std::map<std::string, int> m_folded;
};

} // namespace

HistoryText WriteHandHistory(const ParsedHistory& history, const HistoryGame& game)
{
    HistoryText out;
    // Stacks follow from the start cash hand by hand; once a hand does not
    // square with them (a player putting in more than it had, or going all in
    // with less than it had) the stacks are no longer known and not shown.
    std::map<std::string, Currency> stacks;
    bool stacksKnown = game.startCash.has_value();
    if (stacksKnown)
        for (const std::string& name : game.seatNames)
            stacks[name] = *game.startCash;
    for (const HistoryHand& hand : history.hands) {
        if (stacksKnown) {
            for (const std::string& p : hand.players) {
                const auto it = stacks.find(p);
                const Currency in = hand.ContributedBy(p);
                const bool allIn =
                    std::any_of(hand.actions.begin(), hand.actions.end(),
                                [&](const HistoryAction& a) { return a.player == p && a.allIn; });
                if (it == stacks.end() || in > it->second || (allIn && in != it->second)) stacksKnown = false;
            }
        }
        const bool balanced = hand.Balanced();
        if (balanced) {
            out.text += HandWriter(hand, game, stacksKnown ? &stacks : nullptr).Write();
            ++out.handsWritten;
        } else {
            ++out.handsSkipped;
        }
        if (stacksKnown)
            for (const std::string& p : hand.players)
                stacks[p] = stacks[p] - hand.ContributedBy(p) + hand.CollectedBy(p);
    }
    return out;
}

// ---------------------------------------------------------------- sources

std::optional<FolderHistory> ReadFolderHistory(const std::string& folder, std::string& error)
{
    auto game = ReadGameRecord(folder);
    if (!game) {
        error = "Cannot read the game record: " + game.status.description;
        return std::nullopt;
    }
    FolderHistory result;
    HistoryGame& g = result.game;
    g.tableName = Trim(game->GameName);
    g.gameType = Trim(game->GameType);
    g.currencySymbol = Trim(game->CurrencySymbol);
    g.smallBlind = game->SmallBlind;
    g.bigBlind = game->BigBlind;
    g.startCash = game->StartCash;
    {
        auto users = OpenRecordFile(PlayerFilePath(folder), PlayerRecordLength);
        if (!users) {
            error = "Cannot read the player records: " + users.status.description;
            return std::nullopt;
        }
        for (int p = 1; p <= game->PlayerCount && p <= MaxPlayers; ++p) {
            auto seat = users->ReadPlayer(p);
            g.seatNames.push_back(seat ? Trim(seat->Name) : std::string());
        }
    }
    // The messages come a slice per read; the whole file is wanted here.
    std::int64_t last = 0;
    for (;;) {
        auto messages = ReadMessagesSince(folder, last);
        if (!messages) {
            error = "Cannot read the messages: " + messages.status.description;
            return std::nullopt;
        }
        if (messages->lines.empty() || messages->restarted) break;
        result.lines.insert(result.lines.end(), messages->lines.begin(), messages->lines.end());
        last = messages->lastRecord;
    }
    return result;
}

} // namespace scrivo

namespace scrivo {

std::optional<HistoryText> FolderHandHistory(const std::string& folder, int viewer,
                                             const std::vector<const Language*>& languages,
                                             std::string& error)
{
    std::optional<FolderHistory> source = ReadFolderHistory(folder, error);
    if (!source) return std::nullopt;
    source->game.viewer = viewer;
    const ParsedHistory parsed =
        ParseHandHistoryBest(source->lines, viewer, languages, source->game.currencySymbol);
    return WriteHandHistory(parsed, source->game);
}

HistoryText TableHandHistory(const Table& table, const std::vector<const Language*>& languages,
                             long long secondsSinceEpoch)
{
    const TableState& s = table.State();
    HistoryGame game;
    game.tableName = table.Session().GameName;
    game.gameType = table.Session().GameType;
    game.currencySymbol = s.CurrencySymbol;
    game.smallBlind = s.SmallBlind;
    game.bigBlind = s.BigBlind;
    game.viewer = table.Session().MyPlayerNo;
    game.date = FormatHistoryDate(secondsSinceEpoch);
    for (std::size_t p = 1; p < s.PlayerNames.size(); ++p)
        game.seatNames.push_back(s.PlayerNames[p]);
    if (auto record = ReadGameRecord(table.Session().GameFolder)) game.startCash = record->StartCash;

    std::vector<const Language*> candidates{&table.Texts()};
    candidates.insert(candidates.end(), languages.begin(), languages.end());
    const ParsedHistory parsed =
        ParseHandHistoryBest(table.MsgLines(), game.viewer, candidates, game.currencySymbol);
    return WriteHandHistory(parsed, game);
}

} // namespace scrivo

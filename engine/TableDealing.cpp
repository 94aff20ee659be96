#include "engine/Table.h"

#include <algorithm>
#include <utility>

#include "cards/Showdown.h"
#include "engine/TableInternal.h"
#include "engine/TableView.h"
#include "platform/MessageBox.h"
#include "platform/Text.h"
#include "settings/Language.h"
#include "settings/TextIds.h"

namespace scrivo {

clsCard BoardPlaceholder(int position)
{
    return clsCard(position + 3, -2 * position);
}

colHand PlaceholderBoard()
{
    colHand board;
    for (int position = 1; position <= 5; ++position)
        board.AddACard(BoardPlaceholder(position));
    return board;
}

// ---------------------------------------------------------------- dealing

void Table::DealHoleCards()
{
    TableState& s = m_state;
    EnsureSlots();
    m_deal->pack = colPack();
    m_deal->pack.ResetPack();
    m_deal->pack.Shuffle();
    if (!m_session.Deck.empty()) {
        // The given cards on top in their order, the rest shuffled below.
        colPack stacked;
        std::vector<clsCard> order = ParseCardList(m_session.Deck).cards;
        while (m_deal->pack.Count() > 0)
            order.push_back(m_deal->pack.TakeACard());
        for (const clsCard& card : order) {
            const bool seen =
                std::any_of(stacked.Cards().begin(), stacked.Cards().end(), [&](const clsCard& c) {
                    return c.suit == card.suit && c.facevalue == card.facevalue;
                });
            if (!seen) stacked.AddACard(card);
        }
        m_deal->pack = std::move(stacked);
    }
    Send("d" + FormatText(Msg::DealingHoleCards));
    {
        for (int p = 1; p <= s.PlayerCount; ++p) {
            m_deal->hands[p] = colHand();
            if (s.HandStake[p] <= StakeOut) continue;
            PlayerRecord r = GetSeat(p);
            const clsCard first = m_deal->pack.TakeACard();
            m_deal->hands[p].AddACard(first);
            r.Card1 = CardToText(first);
            const clsCard second = m_deal->pack.TakeACard();
            m_deal->hands[p].AddACard(second);
            r.Card2 = CardToText(second);
            PutSeat(p, r);
            Send(std::to_string(p) + "c" + Trim(r.Card1) + "," + Trim(r.Card2));
        }
    }
    m_deal->board = PlaceholderBoard();
}

void Table::DealBoard(int mode)
{
    static const MsgId announcement[] = {Msg::RestOfBoard, Msg::Flop, Msg::Turn, Msg::River};
    if (mode < 0 || mode > 3) return;
    Send("d\r\n" + FormatText(announcement[mode]));

    colPack& pack = m_deal->pack;
    std::vector<std::pair<int, clsCard>> dealt; // board position, card
    auto deal = [&](int position) { dealt.emplace_back(position, pack.TakeACard()); };
    pack.TakeACard(); // burn
    switch (mode) {
    case 1:
        deal(1);
        deal(2);
        deal(3);
        break;
    case 2:
        deal(4);
        break;
    case 3:
        deal(5);
        break;
    default:
        // Everything still missing, after the betting round that just ended.
        if (m_state.Stage < 2) {
            pack.TakeACard();
            deal(1);
            deal(2);
            deal(3);
        }
        if (m_state.Stage < 3) deal(4);
        if (m_state.Stage < 4) deal(5);
        break;
    }

    std::vector<clsCard> cards;
    {
        PlayerRecord board = GetSeat(BoardPlayerNo);
        std::string* fields[] = {nullptr,      &board.Card1, &board.Card2,
                                 &board.Card3, &board.Card4, &board.Card5};
        for (const auto& [position, card] : dealt) {
            clsCard& slot = m_deal->board.Item(position);
            slot.suit = card.suit;
            slot.facevalue = card.facevalue;
            *fields[position] = CardToText(card);
            cards.push_back(card);
        }
        PutSeat(BoardPlayerNo, board);
    }
    Send("c" + CardListText(cards));
}

// ---------------------------------------------------------------- pots

void Table::QuickSort(std::vector<Currency>& a, int first, int last)
{
    if (first >= last) return;
    const Currency pivot = a[static_cast<std::size_t>((first + last) / 2)];
    int i = first;
    int j = last;
    while (i <= j) {
        while (a[static_cast<std::size_t>(i)] < pivot)
            ++i;
        while (a[static_cast<std::size_t>(j)] > pivot)
            --j;
        if (i <= j) {
            std::swap(a[static_cast<std::size_t>(i)], a[static_cast<std::size_t>(j)]);
            ++i;
            --j;
        }
    }
    if (first < j) QuickSort(a, first, j);
    if (i < last) QuickSort(a, i, last);
}

std::vector<Currency> Table::DistinctValues(const std::vector<Currency>& sorted)
{
    std::vector<Currency> out(1);
    for (std::size_t i = 1; i < sorted.size(); ++i)
        if (out.size() == 1 || sorted[i] != out.back()) out.push_back(sorted[i]);
    return out;
}

void Table::BuildSidePots()
{
    TableState& s = m_state;
    EnsureSlots();
    std::vector<Currency> sorted(s.RoundStake.begin(), s.RoundStake.end());
    QuickSort(sorted, 1, PotSlots - 1);
    const std::vector<Currency> levels = DistinctValues(sorted);
    // A player who left the table is out like one who folded: his chips stay
    // in the pot as dead money, but he opens no side pot.
    const auto outOfHand = [&](int p) { return s.HandStake[p] == StakeFolded || s.HandStake[p] == StakeOut; };

    Currency previous;
    for (std::size_t i = 1; i < levels.size(); ++i) {
        const Currency level = levels[i];
        if (level <= Currency()) continue;
        std::int64_t count = 0;
        int atLevel = 0;
        int foldedAtLevel = 0;
        const auto pot = static_cast<std::size_t>(s.CurrentPot);
        std::string& eligible = s.PotPlayers[pot];
        for (int p = 1; p <= s.PlayerCount; ++p) {
            const Currency stake = s.RoundStake[static_cast<std::size_t>(p)];
            if (stake < level) continue;
            ++count;
            m_potShares[pot][static_cast<std::size_t>(p)] += level - previous;
            const char digit = static_cast<char>('0' + p);
            if (!outOfHand(p) && eligible.find(digit) == std::string::npos) eligible += digit;
            if (stake == level) {
                ++atLevel;
                if (outOfHand(p)) ++foldedAtLevel;
            }
        }
        s.Pots[pot] += (level - previous) * count;
        // A player still in the hand stopped at this level: the stakes above
        // it go into a new side pot.
        if (i + 1 < levels.size() && atLevel > foldedAtLevel && s.CurrentPot < PotSlots - 1) ++s.CurrentPot;
        previous = level;
    }
    // A player who went all in at the top level of the round (a call of
    // exactly its cash) may not win what the others bet after it: their
    // later stakes go into a new side pot.
    const std::string& current = s.PotPlayers[static_cast<std::size_t>(s.CurrentPot)];
    const bool allInInCurrent = std::any_of(current.begin(), current.end(), [&](char d) {
        const int p = d - '0';
        return p >= 1 && p <= s.PlayerCount && s.HandStake[p] == StakeAllIn;
    });
    if (allInInCurrent && CountActive() >= 2 && s.CurrentPot < PotSlots - 1) ++s.CurrentPot;
}

std::vector<int> Table::PlayersStillIn() const
{
    std::vector<int> in;
    for (int p = 1; p <= m_state.PlayerCount; ++p)
        if (m_state.HandStake[p] > StakeFolded || m_state.HandStake[p] == StakeAllIn) in.push_back(p);
    return in;
}

void Table::PayPlayer(int player, Currency amount)
{
    m_state.PlayerCash[player] += amount;
    if (m_payBatch) {
        m_payDirty[static_cast<std::size_t>(player)] = true;
        return;
    }
    PlayerRecord r = GetSeat(player);
    r.Cash = m_state.PlayerCash[player];
    PutSeat(player, r);
}

void Table::FlushPayments()
{
    m_payBatch = false;
    if (std::none_of(m_payDirty.begin(), m_payDirty.end(), [](bool d) { return d; })) return;
    for (int p = 1; p < static_cast<int>(m_payDirty.size()); ++p) {
        if (!m_payDirty[static_cast<std::size_t>(p)]) continue;
        m_payDirty[static_cast<std::size_t>(p)] = false;
        PlayerRecord r = GetSeat(p);
        r.Cash = m_state.PlayerCash[p];
        PutSeat(p, r);
    }
}

// Shares a pot among tied winners. A share is the pot divided to the cent;
// the cents left over go one by one to the winners from the left of the
// dealer, so that the whole pot is paid.
void Table::PaySplit(const std::vector<int>& winners, Currency amount)
{
    const TableState& s = m_state;
    const std::int64_t n = static_cast<std::int64_t>(winners.size());
    constexpr std::int64_t cent = Currency::Scale / 100;
    const std::int64_t base = amount.Raw() / n / cent * cent;
    std::int64_t left = amount.Raw() - base * n;

    std::vector<int> order = winners;
    auto seatFromDealer = [&](int p) {
        return (p - s.Dealer - 1 + s.PlayerCount) % std::max(1, s.PlayerCount);
    };
    std::stable_sort(order.begin(), order.end(),
                     [&](int a, int b) { return seatFromDealer(a) < seatFromDealer(b); });
    std::vector<Currency> share(static_cast<std::size_t>(s.PlayerCount) + 1);
    for (int p : order) {
        const std::int64_t extra = std::min(left, cent);
        left -= extra;
        share[static_cast<std::size_t>(p)] = Currency::FromRaw(base + extra);
    }
    for (int p : winners) {
        const Currency paid = share[static_cast<std::size_t>(p)];
        Send("w" + FormatText(Msg::Wins, s.PlayerNames[p], FormatCash(paid)));
        PayPlayer(p, paid);
    }
}

void Table::Showdown()
{
    TableState& s = m_state;
    EnsureSlots();
    m_payBatch = true;
    try {
        for (int k = s.CurrentPot; k >= 1; --k) {
            const Currency pot = s.Pots[static_cast<std::size_t>(k)];
            // A side pot opened after an all in that nobody bet into.
            if (pot.IsZero() && k > 1) continue;
            std::vector<int> contenders;
            for (char digit : s.PotPlayers[static_cast<std::size_t>(k)]) {
                const int p = digit - '0';
                if (p < 1 || p > s.PlayerCount) continue;
                if (s.HandStake[p] != StakeFolded && s.HandStake[p] != StakeOut) contenders.push_back(p);
            }
            // Chips nobody could claim go back to whoever put them in: a pot
            // with a single payer is the uncalled part of his bet, and a pot
            // whose players all folded returns to those still seated.
            const std::vector<Currency>& shares = m_potShares[static_cast<std::size_t>(k)];
            std::vector<int> payers;
            for (int p = 1; p <= s.PlayerCount && p < static_cast<int>(shares.size()); ++p)
                if (shares[static_cast<std::size_t>(p)] > Currency()) payers.push_back(p);
            const bool uncalled = payers.size() == 1 &&
                                  (contenders.empty() || contenders.front() == payers[0]) &&
                                  s.HandStake[payers[0]] != StakeOut;
            const bool unclaimed =
                contenders.empty() && !payers.empty() &&
                std::none_of(payers.begin(), payers.end(), [&](int p) { return s.HandStake[p] == StakeOut; });
            Currency shared;
            for (int p : payers)
                shared += shares[static_cast<std::size_t>(p)];
            if ((uncalled || unclaimed) && shared == pot) {
                for (int p : payers) {
                    const Currency back = shares[static_cast<std::size_t>(p)];
                    Send("w" + FormatText(Msg::UncalledReturned, s.PlayerNames[p], FormatCash(back)));
                    PayPlayer(p, back);
                }
                continue;
            }
            if (contenders.empty()) {
                // Everybody this pot was for has folded or left: it goes to
                // the best hand still in, so that no chips vanish.
                if (pot <= Currency()) continue;
                contenders = PlayersStillIn();
                if (contenders.empty()) {
                    ReleaseFiles();
                    MsgBox("Internal Error - Pot without player: " + FormatCash(pot));
                    continue;
                }
            }
            if (contenders.size() < 2) {
                const int c = contenders.front();
                if (k == 1)
                    Send("d" + FormatText(Msg::MainPotUncontested, s.PlayerNames[c]));
                else
                    Send("d" + FormatText(Msg::SidePotUncontested, s.PlayerNames[c], std::to_string(k - 1)));
                Send("w" + FormatText(Msg::Wins, s.PlayerNames[c], FormatCash(pot)));
                PayPlayer(c, pot);
                continue;
            }

            Send(k == 1 ? "d" + FormatText(Msg::ShowdownMainPot)
                        : "d" + FormatText(Msg::ShowdownSidePot, std::to_string(k - 1)));
            std::vector<double> score(static_cast<std::size_t>(s.PlayerCount) + 1, -1.0);
            double best = -1.0;
            for (int p : contenders) {
                const ShowdownResult result =
                    EvaluateShowdown(m_deal->hands[static_cast<std::size_t>(p)], m_deal->board, m_language);
                score[static_cast<std::size_t>(p)] = result.Score;
                Send("n" + s.PlayerNames[p] + ": ");
                Send("c" + result.BestCards);
                Send("t" + result.Description);
                best = std::max(best, result.Score);
            }
            std::vector<int> winners;
            for (int p : contenders)
                if (score[static_cast<std::size_t>(p)] == best) winners.push_back(p);
            if (winners.size() > 1)
                Send("s\r\n" + FormatText(Msg::PlayersSharePot, std::to_string(winners.size())));
            for (int p : contenders)
                if (score[static_cast<std::size_t>(p)] < best) s.HandStake[p] = StakeFolded;
            PaySplit(winners, pot);
        }
    } catch (...) {
        FlushPayments();
        throw;
    }
    FlushPayments();
}

// ---------------------------------------------------------------- cards for tests

void Table::SetHoleCards(int player, const std::string& cards)
{
    EnsureSlots();
    const CardListParseResult parsed = ParseCardList(cards);
    if (player < 0 || player >= static_cast<int>(m_deal->hands.size())) return;
    m_deal->hands[static_cast<std::size_t>(player)] = colHand(parsed.cards);
}

std::string Table::BoardCards() const
{
    return CardListText(m_deal->board.Cards());
}

void Table::SetBoardCards(const std::string& cards)
{
    const CardListParseResult parsed = ParseCardList(cards);
    m_deal->board = PlaceholderBoard();
    int position = 1;
    for (const clsCard& card : parsed.cards) {
        if (position > 5) break;
        clsCard& slot = m_deal->board.Item(position++);
        slot.suit = card.suit;
        slot.facevalue = card.facevalue;
    }
}

} // namespace scrivo

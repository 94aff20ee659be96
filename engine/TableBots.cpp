#include "engine/Table.h"

#include <algorithm>
#include <cmath>

#include "engine/Commands.h"
#include "engine/TableInternal.h"
#include "platform/Random.h"
#include "settings/Language.h"
#include "settings/TextIds.h"

namespace scrivo {

void Table::BotStep(const std::string& status)
{
    Random& random = ProgramRandom();
    const int lines = static_cast<int>(m_language.BotChat.size()) - 1;
    if (lines >= 1 && random.Below(20) == 1) {
        const int i = random.Below(lines) + 1;
        Send("m" + FormatText(Msg::ChatLine, m_state.PlayerNames[m_state.CurrentPlayer],
                              m_language.BotChat[static_cast<std::size_t>(i)]));
    }
    if (!status.empty() && status[0] == 'P') {
        if (++m_state.BotTicks >= 3) {
            BotDecide();
            m_state.BotTicks = 0;
        }
    }
}

void Table::BotDecide()
{
    TableState& s = m_state;
    const int b = s.CurrentPlayer;
    if (b < 1 || b > s.PlayerCount || !(s.HandStake[b] > StakeFolded)) return;
    Random& random = ProgramRandom();
    const Currency cash = s.PlayerCash[b];
    std::string request;

    if (s.HandStake[b] < s.MinBet) {
        if (random.Below(5) == 1) {
            request = "F";
        } else {
            const Currency call = s.MinBet - s.HandStake[b];
            request = BetRequest(call > cash ? cash : call);
        }
    } else {
        const int k = random.Below(5) + 1;
        if (k == 1 && cash > Currency()) {
            Currency amount;
            // A random amount from LastRaise up to the cap, in whole units.
            auto upTo = [&](Currency cap) {
                const double span = (cap - s.LastRaise).ToDouble() + 1.0;
                const double units = std::floor(span * random.Next());
                return Currency::FromDouble(units) + s.LastRaise;
            };
            if (m_session.GameType == "THLI") {
                // The host knows its own board: the drawn flag may lag behind
                // when the same player ends one round and opens the next.
                const bool bigBet = s.BigBet || m_deal->board.Item(4).facevalue >= 0;
                const Currency limit = bigBet ? s.BigBlind * 2 : s.BigBlind;
                amount = cash >= limit ? limit : Currency();
            } else if (m_session.GameType == "THPL") {
                amount = upTo(std::min(cash, s.Pot));
            } else if (m_session.GameType == "THNL") {
                amount = upTo(cash);
            }
            // A bot never bets more than it has.
            if (amount > cash) amount = cash;
            if (amount <= Currency()) return; // asked again three ticks later
            request = BetRequest(amount);
        } else {
            request = "C";
        }
    }

    PlayerRecord r = GetSeat(b);
    r.Action = request;
    PutSeat(b, r);
    m_botRequested = true;
}

} // namespace scrivo

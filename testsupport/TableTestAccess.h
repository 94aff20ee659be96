#pragma once

#include <string>

#include "engine/Table.h"

namespace scrivo {

// The test seam of the table engine: staged positions and the host routines
// one at a time, which the engine keeps to itself.
class TableTestAccess {
public:
    static TableState& State(Table& table) { return table.m_state; }
    // The host's hand; a test may stage one through the rules machine.
    static HandState& Hand(Table& table) { return table.m_hand; }
    static std::string BoardCards(const Table& table) { return CardListText(table.m_hand.board); }
    static void BotDecide(Table& table)
    {
        table.BotDecide();
        table.ReleaseFiles();
    }
    // The request in the current player's record, taken as the bot's.
    static void TakeBotRequest(Table& table)
    {
        table.TakeBotRequest();
        table.ReleaseFiles();
    }
    static void SetBotTrials(Table& table, int trials) { table.m_botTrials = trials; }
    static GameSession& Session(Table& table) { return table.m_session; }
    static BotSituation SituationOf(const Table& table, int seat) { return table.SituationOf(seat); }
};

} // namespace scrivo

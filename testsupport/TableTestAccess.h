#pragma once

#include <string>

#include "engine/Table.h"

namespace scrivo {

// The test seam of the table engine: staged positions and the host routines
// one at a time, which the engine keeps to itself.
class TableTestAccess {
public:
    static TableState& State(Table& table) { return table.m_state; }
    static void SetHoleCards(Table& table, int player, const std::string& cards)
    {
        table.SetHoleCards(player, cards);
    }
    static void SetBoardCards(Table& table, const std::string& cards) { table.SetBoardCards(cards); }
    static std::string BoardCards(const Table& table) { return table.BoardCards(); }
    static void BuildSidePots(Table& table) { table.BuildSidePots(); }
    // Host routines run outside a tick: their writes are stored at once.
    static void Showdown(Table& table)
    {
        table.Showdown();
        table.ReleaseFiles();
    }
    static void BotDecide(Table& table)
    {
        table.BotDecide();
        table.ReleaseFiles();
    }
    static GameSession& Session(Table& table) { return table.m_session; }
    static BotSituation SituationOf(const Table& table, int seat) { return table.SituationOf(seat); }
};

} // namespace scrivo

// The table's part in the game's journal: the host appends what every
// player sees of each hand, in the step that decides it; every client reads
// it between hands and replays it through the rules.
#include "engine/Table.h"

#include <chrono>

#include "engine/TableInternal.h"
#include "engine/TableView.h"
#include "platform/FileOps.h"
#include "platform/Paths.h"
#include "platform/Random.h"
#include "settings/Language.h"

namespace scrivo {

void Table::Journal(const JournalRecord& record)
{
    m_journalOut += EncodeJournalRecord(record);
}

void Table::JournalHandStart(const StartEvent& start)
{
    const TableState& s = m_state;
    const auto hand = static_cast<std::uint32_t>(s.HandNo);
    if (!m_journalTableWritten) {
        JournalRecord table;
        table.kind = JournalKind::Table;
        table.amount = start.config.smallBlind;
        table.to = start.config.bigBlind;
        table.gameType = start.config.gameType;
        table.rules = start.config.rules == HandRules::Classic ? 'C' : 'S';
        table.currencySymbol = s.CurrencySymbol;
        table.name = m_session.GameName;
        Journal(table);
        m_journalTableWritten = true;
    }
    const std::int64_t now =
        std::chrono::duration_cast<std::chrono::seconds>(std::chrono::system_clock::now().time_since_epoch())
            .count();
    JournalRecord head;
    head.kind = JournalKind::Hand;
    head.hand = hand;
    head.seat = start.button;
    // A protected hand keeps the id its deal was made for.
    head.number = m_protection ? ProtectedHandId() : NewHandId(now, EntropySeed());
    head.to = Currency::FromRaw(now);
    Journal(head);
    for (std::size_t p = 1; p < start.seats.size(); ++p) {
        JournalRecord seat;
        seat.kind = JournalKind::Seat;
        seat.hand = hand;
        seat.seat = static_cast<int>(p);
        seat.amount = start.seats[p].stack;
        seat.name = static_cast<int>(p) < static_cast<int>(s.PlayerNames.size()) ? s.PlayerNames[p] : "";
        if (start.seats[p].playing && start.seats[p].stack > Currency()) seat.flags = JournalFlag::Dealt;
        Journal(seat);
    }
}

void Table::FlushJournal()
{
    if (m_journalOut.empty()) return;
    Need(TickFile(Slot::Journal).AppendRecords(m_journalOut));
    m_journalOut.clear();
}

void Table::CheckJournal()
{
    FileStat st;
    const std::string path = JournalFilePath(m_session.GameFolder);
    if (CurrentFileOps().Stat(path, st) != 0 || st.size == m_journalNext) return;
    if (st.size < m_journalNext) {
        // Made anew or cut: the records read so far are not there any more.
        m_journalNext = 0;
        m_journalWatch = JournalWatch{};
    }
    const JournalBatch batch = Need(ReadJournal(TickFile(Slot::Journal), m_journalNext));
    m_journalNext = batch.next;
    std::vector<std::string> lines;
    for (const JournalWatch::Checked& c : m_journalWatch.Take(batch.records)) {
        ++m_counters.handsChecked;
        if (c.verdict.Ok()) {
            m_journalHand = std::max<long>(m_journalHand, c.hand.number);
            continue;
        }
        ++m_counters.handsFailed;
        lines.push_back("s" + VerdictLine(c.verdict, c.hand, m_language, m_state.CurrencySymbol));
    }
    for (const std::string& line : lines)
        Shown().LocalLine(line);
}

} // namespace scrivo

#pragma once

#include <string>
#include <vector>

namespace scrivo {

class Table;

// One line of the game's message file as the log receives it: an optional
// private player digit, the kind letter, then the text (line breaks inside
// it are "\r\n"; the log adds its own break after each line).
struct LogLine {
    long recordNo = 0; // record of msg.spk; 0 for the local welcome line
    std::string line;  // as stored, digit and kind included

    // 0 for a line every client shows, else the only player that shows it.
    int PrivateTo() const;
    // Shown on the client of player playerNo.
    bool VisibleTo(int playerNo) const;
    char Kind() const;        // '\0' for an empty line
    std::string Text() const; // the line without digit and kind
};

// What the table engine asks of a window. The engine never draws and never
// waits; every call comes from inside Init, Tick, StartRound or Leave, on
// the thread that drives the engine. A window may run pending events inside
// these calls (for example while pausing after a logged line): a tick that
// starts meanwhile returns at once.
class TableView {
public:
    virtual ~TableView() = default;

    // The table opens: empty both panes, apply the language, caption =
    // GameName. Called first in Init.
    virtual void TableOpening(const Table& table) = 0;

    // The seats are known (table opened) or more players joined:
    // table.State().PlayerNames / PlayerCash hold names and cash of players
    // 1..PlayerCount; show those seats, hide the others.
    virtual void SeatsLoaded(const Table& table) = 0;

    // The own player's label: the name, in the host's window followed by the
    // host caption. Called once by Init after SeatsLoaded.
    virtual void ShowPlayerLabel(const std::string& text) = 0;

    // The game status changed: redraw from table.Seats() and table.Board()
    // (the records as read just now), table.State() (CurrentPlayer, Pot,
    // MyCash, MyBet, the big-bet flag, HandStake) and table.MyTurn().
    virtual void UpdateTableView(const Table& table) = 0;

    // The status line. An empty text clears it.
    virtual void ShowStatus(const std::string& text) = 0;

    // Start Round (button and menu item) shown and enabled, or hidden and
    // disabled.
    virtual void SetStartRoundAllowed(bool allowed) = 0;

    // Check/call, bet, fold and all in enabled (my turn) or not; the message
    // command is always enabled after an update.
    virtual void SetActionsEnabled(bool myTurn) = 0;

    // New lines for the log, in record order. Private lines of other players
    // are passed too (LogLine::VisibleTo says whether to show them); the
    // engine keeps every line in Table::MsgLines for a rebuild of the log.
    virtual void LogLines(const std::vector<LogLine>& lines) = 0;

    // Whether UpdateTableView draws every seat. A view that does not (a
    // headless host) spares the engine reading the other players' records:
    // Table::Seats() then holds only the board and the own seat.
    virtual bool DrawsSeats() const;

    // Hooks for tools and tests; windows need not implement them.
    // After the host ended a hand (pots paid, players out marked).
    virtual void HandEnded(const Table& table);
    // After the host saw the game end (one player has all the cash).
    virtual void GameEnded(const Table& table);
    // A client found the host gone: the table has stopped and left the game;
    // text is what to tell the player.
    virtual void HostLeft(const Table& table, const std::string& text);
    // A line of this client's own for the log, in no record of msg.spk
    // (a hand of the journal that does not add up). By default it goes out
    // with the log lines, numbered 0.
    virtual void LocalLine(const std::string& line);
};

// A view without a window: draws nothing and keeps nothing. Tools and tests
// build on it and pick out what they need.
class HeadlessView : public TableView {
public:
    void TableOpening(const Table&) override {}
    void SeatsLoaded(const Table&) override {}
    void ShowPlayerLabel(const std::string&) override {}
    void UpdateTableView(const Table&) override {}
    void ShowStatus(const std::string&) override {}
    void SetStartRoundAllowed(bool) override {}
    void SetActionsEnabled(bool) override {}
    void LogLines(const std::vector<LogLine>&) override {}
};

} // namespace scrivo

#pragma once

#include <optional>
#include <string>
#include <vector>

#include "cards/Card.h"
#include "platform/Currency.h"

namespace scrivo {

class Language;
class Table;

// One thing a player did, in the order of the log.
struct HistoryAction {
    enum class Kind { SmallBlind, BigBlind, Check, Put, Fold };
    Kind kind = Kind::Check;
    std::string player;
    Currency amount; // what went into the pot with it
    bool allIn = false;
    int street = 0; // 0 pre-flop, 1 flop, 2 turn, 3 river
};

// A hand shown at a showdown: the five best cards and their description.
struct HistoryShow {
    std::string player;
    std::vector<clsCard> bestCards;
    std::string description;
};

// A pot paid to a player; pot 0 is the main pot, k > 0 side pot k.
struct HistoryWin {
    std::string player;
    Currency amount;
    int pot = 0;
    bool showdown = false; // paid after a showdown, not uncontested
};

struct HistoryHand {
    long number = 0;
    std::vector<std::string> players; // in the order they appear
    std::vector<clsCard> holeCards;   // the viewer's own, when dealt
    std::vector<HistoryAction> actions;
    std::vector<clsCard> board;
    std::vector<HistoryShow> shows;
    std::vector<HistoryWin> wins;

    Currency Contributed() const;
    Currency Collected() const;
    Currency ContributedBy(const std::string& player) const;
    Currency CollectedBy(const std::string& player) const;
    // Paid out, and exactly what was put in: no chips appear or vanish.
    bool Balanced() const;
};

struct ParsedHistory {
    std::vector<HistoryHand> hands;
    int matchedLines = 0; // lines recognised as game messages
};

// Turns message lines (kind letter and text, private lines led by the player
// digit, as msg.spk holds them) into hands as player `viewer` saw them: other
// players' private lines are skipped. The texts are recognised through the
// message templates of the language that wrote them; amounts are in
// FormatCash form with the given currency symbol.
ParsedHistory ParseHandHistory(const std::vector<std::string>& lines, int viewer, const Language& language,
                               const std::string& currencySymbol);

// The parse of the language that recognises the most lines; the index of
// that language is stored in `chosen` when given.
ParsedHistory ParseHandHistoryBest(const std::vector<std::string>& lines, int viewer,
                                   const std::vector<const Language*>& languages,
                                   const std::string& currencySymbol, std::size_t* chosen = nullptr);

// The facts about a game that the log does not hold.
struct HistoryGame {
    std::string tableName;
    std::string gameType; // "THLI", "THPL" or "THNL"
    std::string currencySymbol;
    Currency smallBlind;
    Currency bigBlind;
    // Every player sits down with it; the stacks of each hand follow from it.
    // Without it the seat lines carry no stacks.
    std::optional<Currency> startCash;
    std::vector<std::string> seatNames; // index = player number - 1
    int viewer = 0;                     // whose cards are dealt face up
    std::string date;                   // "2026/12/07 10:15:00"
};

// "YYYY/MM/DD HH:MM:SS" in local time.
std::string FormatHistoryDate(long long secondsSinceEpoch);

// One card as trackers write it: "Ah", "Td", "2c".
std::string TrackerCard(const clsCard& card);

struct HistoryText {
    std::string text; // UTF-8
    int handsWritten = 0;
    int handsSkipped = 0; // unfinished, or their amounts do not add up
};

// The hands in the text layout that hand-history trackers read. Only finished
// hands whose amounts add up are written.
HistoryText WriteHandHistory(const ParsedHistory& history, const HistoryGame& game);

// What a game folder holds about its game (gam.spk, usr.spk) and its message
// lines (msg.spk). Nothing on failure, with the reason in `error`.
struct FolderHistory {
    HistoryGame game;
    std::vector<std::string> lines;
};
std::optional<FolderHistory> ReadFolderHistory(const std::string& folder, std::string& error);

// The history of a game as `viewer` saw it, from the folder's files, its
// lines read with whichever of the languages matches them best.
std::optional<HistoryText> FolderHandHistory(const std::string& folder, int viewer,
                                             const std::vector<const Language*>& languages,
                                             std::string& error);

// The same for the game a table plays: its own lines and what the table
// knows, the start cash from the game record when it can still be read.
HistoryText TableHandHistory(const Table& table, const std::vector<const Language*>& languages,
                             long long secondsSinceEpoch);

} // namespace scrivo

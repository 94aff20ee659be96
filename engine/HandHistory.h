#pragma once

#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "cards/Card.h"
#include "engine/HandJournal.h"

namespace scrivo {

class Table;

// Hand histories are written from the game's journal, never from the log:
// the hands come out the same whatever language the host wrote its lines in.
enum class HistoryFormat {
    PokerStars, // the text layout hand-history trackers read
    Ohh,        // Open Hand History JSON: one {"ohh": ...} object per hand
};
std::optional<HistoryFormat> ParseHistoryFormat(const std::string& name);

struct HistoryOptions {
    HistoryFormat format = HistoryFormat::PokerStars;
    int viewer = 0; // whose own cards are dealt face up, when known
    // The viewer's own hole cards by hand number (the journal has only the
    // cards that were shown).
    std::map<std::uint32_t, std::vector<clsCard>> ownCards;
};

struct HistoryText {
    std::string text; // UTF-8
    int handsWritten = 0;
    int handsSkipped = 0; // unfinished, damaged, or not what the rules give
};

// Every hand of the journal that the rules replay as recorded.
HistoryText WriteHandHistory(const JournalGame& game, const HistoryOptions& options);

// One card as trackers write it: "Ah", "Td", "2c".
std::string TrackerCard(const clsCard& card);

// The viewer's own hole cards from the card lines the host sent to it alone
// ("<player>c<card>,<card>"), matched in order to the hands it was dealt in.
// A hand where these differ from what the viewer showed drops them all.
std::map<std::uint32_t, std::vector<clsCard>> OwnHoleCards(const JournalGame& game, int viewer,
                                                           const std::vector<std::string>& lines);

// The history of a kept game folder as `viewer` saw it. Nothing on failure,
// with the reason in `error`.
std::optional<HistoryText> FolderHandHistory(const std::string& folder, HistoryFormat format, int viewer,
                                             std::string& error);
// The same for the game a table plays.
std::optional<HistoryText> TableHandHistory(const Table& table, HistoryFormat format, std::string& error);

// What --verify says of a game folder: one line per hand, and whether every
// hand adds up.
struct FolderVerdict {
    std::vector<std::string> lines;
    bool ok = true;
};
FolderVerdict VerifyFolder(const std::string& folder);

} // namespace scrivo

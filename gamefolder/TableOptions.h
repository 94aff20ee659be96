#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace scrivo {

// The betting rules a table plays by. Standard: the rules of every card room
// (the big blind is the smallest bet, a raise at least matches the largest
// bet or raise of the round, pot limit raises to the pot after the call,
// heads-up the button posts the small blind). Classic: the table's older
// rules, kept for those who like them (any bet from a cent, a raise at least
// the largest amount put in at once, pot limit bets up to the pot).
enum class HandRules : std::uint8_t { Standard, Classic };

// "standard" or "classic", as tools and the game folder write them.
constexpr std::string_view RulesName(HandRules rules)
{
    return rules == HandRules::Classic ? "classic" : "standard";
}
std::optional<HandRules> ParseRules(std::string_view text);

// The table's options live in a small text file of the game folder of their
// own ("Rules=standard"), beside the record files whose layouts every client
// relies on. Written once when the game is made; read by whoever joins.
inline constexpr const char* OptionsFileName = "tbl.spk";
std::string OptionsFilePath(const std::string& folder);
// What the file says. A protected table ("Protected=yes") deals its cards
// so that nobody, the host included, sees another player's cards, and takes
// only requests its players signed.
struct TableOptions {
    HandRules rules = HandRules::Classic;
    bool protectedTable = false;
};
// False (errno set) when the file could not be made whole.
bool WriteTableOptions(const std::string& folder, const TableOptions& options);
// The options of the game in folder. A game without the file (made by an
// older host) plays the Classic rules unprotected; anything unreadable does too.
TableOptions ReadTableOptions(const std::string& folder);
inline HandRules ReadTableRules(const std::string& folder)
{
    return ReadTableOptions(folder).rules;
}

} // namespace scrivo

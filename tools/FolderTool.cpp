// scrivo-folder <game folder>
// scrivo-folder --check-locks <folder> [<the same folder elsewhere>]
// scrivo-folder --hand-history <game folder> --player N [--format pokerstars|ohh] [--out FILE]
// scrivo-folder --verify <game folder>
// Prints what a game folder holds: the game record field by field, the table
// options, every player record, and every message line unscrambled with its
// record number.
// Each file is locked only while it is read, like any other client does.
#include <cstdio>
#include <cstdlib>
#include <algorithm>
#include <fstream>
#include <optional>
#include <string>
#include <vector>

#include "engine/HandHistory.h"
#include "gamefolder/RecordFile.h"
#include "gamefolder/Records.h"
#include "gamefolder/TableOptions.h"
#include "platform/Paths.h"
#include "platform/Text.h"
#include "tools/CheckLocks.h"

namespace {

using namespace scrivo;

// Anything read from the folder may hold control characters meant to
// rewrite the terminal: everything printed goes through EscapeControls.
std::string Escaped(const std::string& text)
{
    return EscapeControls(text);
}

// Text fields are shown quoted; a field never written shows as <zero>.
std::string Show(const std::string& text)
{
    if (IsZeroText(text)) return "<zero>";
    return "\"" + text + "\"";
}

// Every line goes through the escaping: names, messages and error texts
// (which quote paths) alike.
void Line(const std::string& text)
{
    std::printf("%s\n", Escaped(text).c_str());
}

int PrintGame(const std::string& folder)
{
    const std::string path = GameFilePath(folder);
    Line("Game record (" + path + ")");
    if (!FolderExists(path)) {
        Line("  not there");
        return 1;
    }
    auto file = OpenRecordFile(path, GameRecordLength);
    if (!file) {
        Line("  cannot be opened: " + file.status.description);
        return 1;
    }
    auto game = file->ReadGame();
    if (!game) {
        Line("  " + game.status.description);
        return 1;
    }
    const GameRecord& g = *game;
    Line("  PlayerCount     " + std::to_string(g.PlayerCount));
    Line("  BotCount        " + std::to_string(g.BotCount));
    Line("  Status          " + Show(g.Status.Text()));
    Line("  GameName        " + Show(g.GameName));
    Line("  GameType        " + Show(g.GameType));
    Line("  StartCash       " + g.StartCash.ToString());
    Line("  Pot             " + g.Pot.ToString());
    Line("  MinBet          " + g.MinBet.ToString());
    Line("  LastRaise       " + g.LastRaise.ToString());
    Line("  SmallBlind      " + g.SmallBlind.ToString());
    Line("  BigBlind        " + g.BigBlind.ToString());
    Line("  CurrencySymbol  " + Show(g.CurrencySymbol));
    return 0;
}

// What the game was made with. A game without the options file (made by an
// older host) plays as the reader falls back to.
void PrintTableOptions(const std::string& folder)
{
    const std::string path = OptionsFilePath(folder);
    const TableOptions options = ReadTableOptions(folder);
    Line("Table options (" + path + ")" + (FolderExists(path) ? "" : ": not there, as read"));
    Line("  Rules           " + std::string(RulesName(options.rules)));
    Line(std::string("  Protected       ") + (options.protectedTable ? "yes" : "no"));
}

// A tail shorter than a record: an append cut short, or one going on.
void PrintTail(RecordFile& file, std::int64_t count)
{
    auto size = file.ByteSize();
    if (!size) return;
    const std::int64_t extra = *size - count * file.RecordLength();
    if (extra > 0) Line("  (" + std::to_string(extra) + " bytes after the last whole record, not read)");
}

int PrintPlayers(const std::string& folder)
{
    const std::string path = PlayerFilePath(folder);
    if (!FolderExists(path)) {
        Line("Player records (" + path + "): not there");
        return 1;
    }
    auto file = OpenRecordFile(path, PlayerRecordLength);
    if (!file) {
        Line("Player records (" + path + "): cannot be opened: " + file.status.description);
        return 1;
    }
    auto count = file->RecordCount();
    if (!count) {
        Line("Player records (" + path + "): " + count.status.description);
        return 1;
    }
    Line("Player records (" + path + "): " + std::to_string(*count));
    for (std::int64_t n = 1; n <= *count; ++n) {
        auto p = file->ReadPlayer(static_cast<int>(n - 1));
        if (!p) {
            Line("  record " + std::to_string(n) + ": " + p.status.description);
            return 1;
        }
        Line("  record " + std::to_string(n) +
             (n == 1 ? " (board)" : " (player " + std::to_string(n - 1) + ")"));
        Line("    PlayerNo  " + std::to_string(p->PlayerNo));
        Line("    Name      " + Show(p->Name));
        Line("    Cash      " + p->Cash.ToString());
        Line("    Bet       " + p->Bet.ToString());
        Line("    Action    " + Show(p->Action));
        Line("    Blind     " + Show(p->Blind));
        Line("    Cards     " + Show(p->Card1) + " " + Show(p->Card2) + " " + Show(p->Card3) + " " +
             Show(p->Card4) + " " + Show(p->Card5));
    }
    PrintTail(*file, *count);
    return 0;
}

int PrintMessages(const std::string& folder)
{
    const std::string path = MessageFilePath(folder);
    if (!FolderExists(path)) {
        Line("Messages (" + path + "): none");
        return 0;
    }
    auto file = OpenRecordFile(path, MessageRecordLength);
    if (!file) {
        Line("Messages (" + path + "): cannot be opened: " + file.status.description);
        return 1;
    }
    auto count = file->RecordCount();
    if (!count) {
        Line("Messages (" + path + "): " + count.status.description);
        return 1;
    }
    Line("Messages (" + path + "): " + std::to_string(*count));
    for (std::int64_t n = 1; n <= *count; ++n) {
        auto text = file->ReadMessage(n);
        if (!text) {
            Line("  " + std::to_string(n) + ": " + text.status.description);
            return 1;
        }
        Line("  " + std::to_string(n) + ": " + *text);
    }
    PrintTail(*file, *count);
    return 0;
}

// The hands of a kept game folder as one player saw them, from its journal.
// On a terminal or a pipe every line is escaped; a file gets the hands as
// the format writes them (the text layout escapes names itself, JSON escapes
// every control character).
int PrintHandHistory(const std::string& folder, int player, HistoryFormat format, const std::string& outPath)
{
    std::string error;
    const std::optional<HistoryText> text = FolderHandHistory(folder, format, player, error);
    if (!text) {
        std::fprintf(stderr, "scrivo-folder: %s\n", Escaped(error).c_str());
        return 1;
    }
    if (outPath.empty()) {
        std::size_t at = 0;
        while (at < text->text.size()) {
            const std::size_t end = std::min(text->text.find('\n', at), text->text.size());
            Line(text->text.substr(at, end - at));
            at = end + 1;
        }
    } else {
        std::ofstream out(outPath, std::ios::binary | std::ios::trunc);
        out << text->text;
        if (!out.flush()) {
            std::fprintf(stderr, "scrivo-folder: cannot write %s\n", Escaped(outPath).c_str());
            return 1;
        }
    }
    if (text->handsSkipped > 0)
        std::fprintf(stderr, "scrivo-folder: %d unfinished or inconsistent hands left out\n",
                     text->handsSkipped);
    return 0;
}

// Replays every hand of the journal through the rules: a line per hand,
// status 1 when one does not add up.
int VerifyGame(const std::string& folder)
{
    const FolderVerdict verdict = VerifyFolder(folder);
    for (const std::string& line : verdict.lines)
        Line(line);
    return verdict.ok ? 0 : 1;
}

} // namespace

int main(int argc, char** argv)
{
    if ((argc == 3 || argc == 4) && std::string(argv[1]) == "--check-locks")
        return tool::CheckLocks(argv[2], argc == 4 ? argv[3] : "");
    if (argc == 3 && std::string(argv[1]) == "--verify" && IsDirectory(argv[2])) return VerifyGame(argv[2]);
    if (argc >= 5 && std::string(argv[1]) == "--hand-history") {
        std::string out;
        int player = 0;
        std::optional<HistoryFormat> format = HistoryFormat::PokerStars;
        for (int i = 3; i + 1 < argc; i += 2) {
            const std::string option = argv[i];
            if (option == "--player")
                player = std::atoi(argv[i + 1]);
            else if (option == "--out")
                out = argv[i + 1];
            else if (option == "--format")
                format = ParseHistoryFormat(argv[i + 1]);
            else
                player = -1;
        }
        if (player >= 1 && player <= MaxPlayers && format && argc % 2 == 1 && IsDirectory(argv[2]))
            return PrintHandHistory(argv[2], player, *format, out);
    }
    const bool help = argc == 2 && (std::string(argv[1]) == "--help" || std::string(argv[1]) == "-h");
    if (argc != 2 || help) {
        std::fputs("usage: scrivo-folder <game folder>\n"
                   "       scrivo-folder --check-locks <folder> [<the same folder through another mount>]\n"
                   "       scrivo-folder --hand-history <game folder> --player N [--format pokerstars|ohh] "
                   "[--out FILE]\n"
                   "       scrivo-folder --verify <game folder>\n",
                   help ? stdout : stderr);
        return help ? 0 : 2;
    }
    const std::string folder = argv[1];
    if (!IsDirectory(folder)) {
        std::fprintf(stderr, "scrivo-folder: %s is not a folder\n", folder.c_str());
        return 2;
    }
    int rc = PrintGame(folder);
    PrintTableOptions(folder);
    rc |= PrintPlayers(folder);
    rc |= PrintMessages(folder);
    return rc;
}

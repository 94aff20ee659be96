// scrivo-folder <game folder>
// scrivo-folder --check-locks <folder> [<the same folder elsewhere>]
// scrivo-folder --hand-history <game folder> --player N [--out FILE]
// Prints what a game folder holds: the game record field by field, every
// player record, and every message line unscrambled with its record number.
// Each file is locked only while it is read, like any other client does.
#include <sys/stat.h>

#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <fstream>
#include <memory>
#include <string>
#include <vector>

#include "engine/HandHistory.h"
#include "gamefolder/RecordFile.h"
#include "gamefolder/Records.h"
#include "platform/Paths.h"
#include "settings/Language.h"
#include "settings/Settings.h"
#include "tools/CheckLocks.h"

namespace {

using namespace scrivo;

// Anything read from the folder may hold control characters meant to
// rewrite the terminal. Every byte below 0x20 and DEL is printed as a \xHH
// escape (NUL as \0), and the C1 controls U+0080..U+009F, which some
// terminals obey in UTF-8 too, as \u00HH.
std::string Escaped(const std::string& text)
{
    static constexpr char hex[] = "0123456789abcdef";
    std::string out;
    out.reserve(text.size());
    for (std::size_t i = 0; i < text.size(); ++i) {
        const auto c = static_cast<unsigned char>(text[i]);
        if (c == 0) {
            out += "\\0";
        } else if (c < 0x20 || c == 0x7F) {
            out += "\\x";
            out += hex[c >> 4];
            out += hex[c & 0xF];
        } else if (c == 0xC2 && i + 1 < text.size() &&
                   (static_cast<unsigned char>(text[i + 1]) & 0xE0) == 0x80) {
            const auto d = static_cast<unsigned char>(text[++i]);
            out += "\\u00";
            out += hex[d >> 4];
            out += hex[d & 0xF];
        } else {
            out += static_cast<char>(c);
        }
    }
    return out;
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

// The hands of a kept game folder as one player saw them, read with the
// language file beside the program that recognises most of its lines.
int PrintHandHistory(const std::string& folder, int player, const std::string& outPath)
{
    Settings settings;
    Language scan;
    scan.ScanLanguageFiles(settings);
    std::vector<std::unique_ptr<Language>> languages;
    std::vector<const Language*> candidates;
    for (std::size_t i = 1; i < scan.LangFiles.size(); ++i) {
        languages.push_back(std::make_unique<Language>());
        languages.back()->ReadLanguageFile(scan.LangFiles[i], settings);
        candidates.push_back(languages.back().get());
    }
    std::string error;
    auto source = ReadFolderHistory(folder, error);
    if (!source) {
        std::fprintf(stderr, "scrivo-folder: %s\n", Escaped(error).c_str());
        return 1;
    }
    // The log has no times: the hands carry the time the messages were last written.
    source->game.viewer = player;
    source->game.date = FormatHistoryDate(static_cast<long long>(std::time(nullptr)));
    struct stat info {};
    if (::stat(MessageFilePath(folder).c_str(), &info) == 0)
        source->game.date = FormatHistoryDate(info.st_mtime);
    const HistoryText text = WriteHandHistory(
        ParseHandHistoryBest(source->lines, player, candidates, source->game.currencySymbol), source->game);
    if (outPath.empty()) {
        std::fwrite(text.text.data(), 1, text.text.size(), stdout);
    } else {
        std::ofstream out(outPath, std::ios::binary | std::ios::trunc);
        out << text.text;
        if (!out.flush()) {
            std::fprintf(stderr, "scrivo-folder: cannot write %s\n", Escaped(outPath).c_str());
            return 1;
        }
    }
    if (text.handsSkipped > 0)
        std::fprintf(stderr, "scrivo-folder: %d unfinished or inconsistent hands left out\n",
                     text.handsSkipped);
    return 0;
}

} // namespace

int main(int argc, char** argv)
{
    if ((argc == 3 || argc == 4) && std::string(argv[1]) == "--check-locks")
        return tool::CheckLocks(argv[2], argc == 4 ? argv[3] : "");
    if (argc >= 5 && std::string(argv[1]) == "--hand-history") {
        std::string out;
        int player = 0;
        for (int i = 3; i + 1 < argc; i += 2) {
            const std::string option = argv[i];
            if (option == "--player")
                player = std::atoi(argv[i + 1]);
            else if (option == "--out")
                out = argv[i + 1];
            else
                player = -1;
        }
        if (player >= 1 && player <= MaxPlayers && argc % 2 == 1 && IsDirectory(argv[2]))
            return PrintHandHistory(argv[2], player, out);
    }
    if (argc != 2) {
        std::fprintf(stderr,
                     "usage: scrivo-folder <game folder>\n"
                     "       scrivo-folder --check-locks <folder> [<the same folder through another mount>]\n"
                     "       scrivo-folder --hand-history <game folder> --player N [--out FILE]\n");
        return 2;
    }
    const std::string folder = argv[1];
    if (!IsDirectory(folder)) {
        std::fprintf(stderr, "scrivo-folder: %s is not a folder\n", folder.c_str());
        return 2;
    }
    int rc = PrintGame(folder);
    rc |= PrintPlayers(folder);
    rc |= PrintMessages(folder);
    return rc;
}

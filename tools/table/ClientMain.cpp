// scrivo-client: joins a waiting game of a server directory under a name and
// plays that seat as a person would, through the checks of command entry,
// until the game ends. Prints the lines it sees and "hands=<n> cash=<amount>".
// When the host's process is gone it takes over the table (and starts the
// hands from then on); joined under the name of a seat whose player had gone
// it plays that seat again. Exits with 2 when the table gave up (its folder
// gone, out of reach too long, or damaged). SIGUSR1 makes it stop itself
// between two polls, holding no file, as a program that hangs would.
#include <signal.h>

#include <chrono>
#include <cstdio>
#include <optional>
#include <string>

#include "engine/Lobby.h"
#include "engine/Table.h"
#include "gamefolder/RecordFile.h"
#include "platform/Clock.h"
#include "platform/FileOps.h"
#include "platform/Paths.h"
#include "platform/Random.h"
#include "settings/Language.h"
#include "settings/Settings.h"
#include "tools/table/TableTool.h"
#include "settings/TextIds.h"

namespace {

using namespace scrivo;

volatile sig_atomic_t g_hangAsked = 0;

extern "C" void AskToHang(int)
{
    g_hangAsked = 1;
}

constexpr const char* Usage =
    "usage: scrivo-client --dir DIR --name NAME [options]\n"
    "  --dir DIR        the server directory\n"
    "  --name NAME      the player's name at the table\n"
    "  --seed N         fixed seed for the policy\n"
    "  --policy P       random, call or script:C,B20,F,A (default random)\n"
    "  --delay MS       poll delay in milliseconds (default 100)\n"
    "  --game ID        join this game folder (default: the first waiting game)\n"
    "  --wait S         give up when no game can be joined within S seconds (default 60)\n"
    "  --hands N        as host after a take-over: end the game after N hands seen (default 0: no limit)\n"
    "  --outage-limit S end the game when the folder stays out of reach for S seconds (default 600)\n"
    "  --share-delay MS every open and lock waits MS milliseconds first, as on a slow network share\n"
    "  --keep           end without leaving the seat, the game folder left in place\n"
    "  --key FILE       keep the player's signing keys in FILE, to prove the seat again after a crash\n"
    "                   (default: keys for this run alone; a protected table is joined as the folder says)\n"
    "  --help           this text\n";

int Fail(const std::string& text)
{
    std::fprintf(stderr, "scrivo-client: %s\n", text.c_str());
    return 2;
}

// Counts the hands this seat saw dealt.
class ClientView : public tool::PrintingView {
public:
    ClientView(int playerNo, const Language& language) : PrintingView(playerNo, false), m_language(language)
    {
    }
    void LogLines(const std::vector<LogLine>& lines) override
    {
        PrintingView::LogLines(lines);
        const std::string dealing = "d" + m_language.FormatText(Msg::DealingHoleCards);
        for (const LogLine& l : lines)
            if (l.line == dealing) ++hands;
    }
    long hands = 0;

private:
    const Language& m_language;
};

} // namespace

int main(int argc, char** argv)
{
    tool::Options options;
    std::string error;
    if (!options.Parse(argc, argv,
                       {"--dir", "--name", "--seed", "--policy", "--delay", "--game", "--wait", "--hands",
                        "--outage-limit", "--key", "--share-delay"},
                       {"--keep", "--help"}, error))
        return Fail(error + "\n" + Usage);
    if (options.Has("--help")) {
        std::printf("%s", Usage);
        return 0;
    }
    if (!options.Has("--dir") || !options.Has("--name"))
        return Fail(std::string("--dir and --name are required\n") + Usage);
    if (options.Has("--key") && options.Get("--key").empty()) return Fail("--key wants a file name");
    long long seed = 0, delay = 0, wait = 0, hands = 0, outageLimit = 0, shareDelay = 0;
    if (!options.GetInt("--seed", 0, 0, 0x7fffffffffffffffLL, seed, error) ||
        !options.GetInt("--hands", 0, 0, 1000000000, hands, error) ||
        !options.GetInt("--outage-limit", 600, 1, 86400, outageLimit, error) ||
        !options.GetInt("--share-delay", 0, 0, 1000, shareDelay, error) ||
        !options.GetInt("--delay", 100, 0, 600000, delay, error) ||
        !options.GetInt("--wait", 60, 0, 86400, wait, error))
        return Fail(error);
    if (options.Has("--seed")) ProgramRandom().Seed(static_cast<std::uint64_t>(seed));
    tool::Policy policy;
    if (!policy.Set(options.Get("--policy", "random"), error)) return Fail(error);

    const std::string dir = options.Get("--dir");
    if (!IsDirectory(dir)) return Fail("no such folder: " + dir);
    Settings settings;
    Language language;
    if (!tool::LoadLanguage(language, settings)) return Fail("no language file beside the program");
    settings.ServerDirectory = tool::ServerDirectoryOf(dir);
    settings.LastPlayer = options.Get("--name");
    settings.ServerDelay = static_cast<long>(delay);
    Lobby lobby(settings, language);

    signal(SIGUSR1, AskToHang);
    Clock& clock = ProgramClock();
    const auto giveUp = clock.Now() + std::chrono::seconds(wait);
    BrowserOutcome joined;
    while (!joined.openTable) {
        std::string id = options.Get("--game");
        if (id.empty()) {
            FolderResult<GameList> list = lobby.UpdateList("");
            if (list)
                for (const GameListRow& row : list->rows) {
                    // A game under way takes back a player whose seat it kept.
                    joined = lobby.JoinGame(row.id);
                    if (joined.openTable) break;
                }
        } else {
            joined = lobby.JoinGame(id);
        }
        if (joined.openTable) break;
        if (clock.Now() >= giveUp) return Fail("no game to join");
        clock.SleepFor(std::chrono::milliseconds(100));
    }

    std::optional<DelayFileOps> share;
    std::optional<ScopedFileOps> shared;
    if (shareDelay > 0) {
        share.emplace(CurrentFileOps(), std::chrono::milliseconds(shareDelay));
        shared.emplace(*share);
    }
    CountingFileOps counting(CurrentFileOps());
    ScopedFileOps counted(counting);
    joined.session.PollMilliseconds = static_cast<int>(delay);
    joined.session.OutageLimitSeconds = static_cast<int>(outageLimit);
    joined.session.SigningKeyFile = options.Get("--key");
    ClientView view(joined.session.MyPlayerNo, language);
    Table table(view, joined.session, language);
    if (!table.Init()) return Fail("the table could not be opened");
    for (;;) {
        table.Tick();
        if (table.HostGone()) {
            // The table has already left the game.
            std::printf("%s\n", language.LangText[Msg::HostGone].c_str());
            std::fflush(stdout);
            return 3;
        }
        if (table.Stopped()) {
            std::fflush(stdout);
            return Fail(table.FolderGone() ? language.LangText[Msg::GameFolderGone]
                                           : "the game cannot go on");
        }
        if (table.State().LastStatus == GameStatus::Ended || table.State().Stage == StageGameOver) break;
        if (table.IsHostTable()) {
            // Taken over: this client deals the hands now.
            if (hands > 0 && view.hands >= hands && table.State().Stage == StageWaiting) {
                ReportFailure("Error writing status: ",
                              WriteGameRecord(table.Session().GameFolder, GameStatus::Ended, false));
                break;
            }
            if (table.CanStartRound()) table.StartRound();
        }
        policy.Act(table);
        if (g_hangAsked) {
            g_hangAsked = 0;
            raise(SIGSTOP);
        }
        if (delay > 0) clock.SleepFor(table.PollDelay(std::chrono::milliseconds(delay)));
    }
    // The last lines of the game were written during the last tick.
    if (table.IsHostTable()) table.Tick();
    // What one poll costs on average, in file calls (each a round trip on a share).
    const FileOpCounts calls = counting.Counts();
    const double polls = table.Counters().ticks > 0 ? static_cast<double>(table.Counters().ticks) : 1.0;
    std::fprintf(
        stderr,
        "scrivo-client: polls=%lld per poll: opens=%.2f locks=%.2f reads=%.2f writes=%.2f stats=%.2f\n",
        table.Counters().ticks, static_cast<double>(calls.opens) / polls,
        static_cast<double>(calls.locks) / polls, static_cast<double>(calls.reads) / polls,
        static_cast<double>(calls.writes) / polls, static_cast<double>(calls.stats) / polls);
    std::printf("hands=%ld cash=%s\n", view.hands, table.Session().MyCash.ToString().c_str());
    std::fflush(stdout);
    if (!options.Has("--keep")) table.Leave();
    return 0;
}

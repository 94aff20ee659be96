// scrivo-client: joins a waiting game of a server directory under a name and
// plays that seat as a person would, through the checks of command entry,
// until the game ends. Prints the lines it sees and "hands=<n> cash=<amount>".
#include <chrono>
#include <cstdio>
#include <string>

#include "engine/Table.h"
#include "gamefolder/CurrentGame.h"
#include "gamefolder/Directory.h"
#include "platform/Clock.h"
#include "platform/Paths.h"
#include "platform/Random.h"
#include "settings/Language.h"
#include "settings/Settings.h"
#include "tools/table/TableTool.h"

namespace {

using namespace scrivo;

constexpr const char* Usage =
    "usage: scrivo-client --dir DIR --name NAME [options]\n"
    "  --dir DIR        the server directory\n"
    "  --name NAME      the player's name at the table\n"
    "  --seed N         fixed seed for the policy\n"
    "  --policy P       random, call or script:C,B20,F,A (default random)\n"
    "  --delay MS       poll delay in milliseconds (default 100)\n"
    "  --game ID        join this game folder (default: the first waiting game)\n"
    "  --wait S         give up when no game can be joined within S seconds (default 60)\n"
    "  --help           this text\n";

int Fail(const std::string& text)
{
    std::fprintf(stderr, "scrivo-client: %s\n", text.c_str());
    return 2;
}

// Counts the hands this seat saw dealt.
class ClientView : public tool::PrintingView {
public:
    using PrintingView::PrintingView;
    void LogLines(const std::vector<LogLine>& lines) override
    {
        PrintingView::LogLines(lines);
        const std::string dealing = "d" + FormatText(37);
        for (const LogLine& l : lines)
            if (l.line == dealing) ++hands;
    }
    long hands = 0;
};

} // namespace

int main(int argc, char** argv)
{
    tool::Options options;
    std::string error;
    if (!options.Parse(argc, argv, {"--dir", "--name", "--seed", "--policy", "--delay", "--game", "--wait"},
                       {"--help"}, error))
        return Fail(error + "\n" + Usage);
    if (options.Has("--help")) {
        std::printf("%s", Usage);
        return 0;
    }
    if (!options.Has("--dir") || !options.Has("--name"))
        return Fail(std::string("--dir and --name are required\n") + Usage);
    long long seed = 0, delay = 0, wait = 0;
    if (!options.GetInt("--seed", 0, 0, 0x7fffffffffffffffLL, seed, error) ||
        !options.GetInt("--delay", 100, 0, 600000, delay, error) ||
        !options.GetInt("--wait", 60, 0, 86400, wait, error))
        return Fail(error);
    if (options.Has("--seed")) ProgramRandom().Seed(static_cast<std::uint64_t>(seed));
    tool::Policy policy;
    if (!policy.Set(options.Get("--policy", "random"), error)) return Fail(error);

    const std::string dir = options.Get("--dir");
    if (!IsDirectory(dir)) return Fail("no such folder: " + dir);
    if (!tool::LoadLanguage()) return Fail("no language file beside the program");
    ServerDirectory = tool::ServerDirectoryOf(dir);
    LastPlayer = options.Get("--name");
    ServerDelay = static_cast<long>(delay);

    Clock& clock = ProgramClock();
    const auto giveUp = clock.Now() + std::chrono::seconds(wait);
    bool joined = false;
    while (!joined) {
        std::string id = options.Get("--game");
        if (id.empty()) {
            FolderResult<GameList> list = UpdateList("");
            if (list)
                for (const GameListRow& row : list->rows)
                    if (row.status == WaitingStatusText) {
                        id = row.id;
                        break;
                    }
        }
        if (!id.empty()) joined = JoinGame(id).openTable;
        if (joined) break;
        if (clock.Now() >= giveUp) return Fail("no game to join");
        clock.SleepFor(std::chrono::milliseconds(100));
    }

    ClientView view(MyPlayerNo, false);
    Table table(view);
    if (!table.Init()) return Fail("the table could not be opened");
    for (;;) {
        table.Tick();
        const std::string& status = table.State().LastStatus;
        if (status == "GE" || !FolderExists(GameFolder)) break;
        policy.Act(table);
        if (delay > 0) clock.SleepFor(std::chrono::milliseconds(delay));
    }
    std::printf("hands=%ld cash=%s\n", view.hands, MyCash.ToString().c_str());
    std::fflush(stdout);
    table.Leave();
    return 0;
}

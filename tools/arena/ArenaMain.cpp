// scrivo-arena: seats bots of the given levels at one table (the host's own
// seat plays as a bot too) and plays a number of hands through the engine,
// in a game folder on a temporary directory. Every hand starts from equal
// stacks, so each hand's result is one seat's win or loss against the same
// money; a game that ends because all but one seat went broke in one hand is
// followed by a new one.
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <map>
#include <string>
#include <vector>

#include "engine/Lobby.h"
#include "engine/Table.h"
#include "platform/Random.h"
#include "settings/Language.h"
#include "settings/Settings.h"
#include "tools/table/TableTool.h"

namespace {

using namespace scrivo;

constexpr const char* Usage =
    "usage: scrivo-arena --hands N --seats L1,L2,... [options]\n"
    "  --hands N           hands to play (at least 1)\n"
    "  --seats L1,L2,...   the level of each seat, 2 to 9 seats: classic or strong\n"
    "  --seed N            fixed seed for cards and bots (default 1)\n"
    "  --type T            limit, potlimit or nolimit (default nolimit)\n"
    "  --blinds SB/BB      small and big blind (default 5/10)\n"
    "  --cash AMOUNT       stack every seat starts each hand with (default 1000)\n"
    "  --help              this text\n";

int Fail(const std::string& text)
{
    std::fprintf(stderr, "scrivo-arena: %s\n", text.c_str());
    return 2;
}

// The limit types by their names on the command line.
const std::map<std::string, int>& LimitTypes()
{
    static const std::map<std::string, int> types = {{"limit", 0}, {"potlimit", 1}, {"nolimit", 2}};
    return types;
}

const char* LevelName(BotLevel level)
{
    return level == BotLevel::Strong ? "strong" : "classic";
}

// Adds up each seat's result as every hand ends.
class ArenaView : public HeadlessView {
public:
    ArenaView(std::size_t seats, Currency stack) : net(seats + 1), m_stack(stack) {}
    bool DrawsSeats() const override { return false; }
    void HandEnded(const Table& table) override
    {
        const TableState& s = table.State();
        Currency sum;
        for (int p = 1; p <= s.PlayerCount && static_cast<std::size_t>(p) < net.size(); ++p) {
            const Currency delta = s.PlayerCash[static_cast<std::size_t>(p)] - m_stack;
            net[static_cast<std::size_t>(p)] += delta;
            sum += delta;
        }
        if (sum != Currency()) conserved = false;
        ++hands;
    }
    std::vector<Currency> net; // by seat number
    long long hands = 0;
    bool conserved = true;

private:
    Currency m_stack;
};

class TempFolder {
public:
    TempFolder()
    {
        std::string pattern = (std::filesystem::temp_directory_path() / "scrivo-arena-XXXXXX").string();
        if (::mkdtemp(pattern.data()) != nullptr) path = pattern;
    }
    ~TempFolder()
    {
        std::error_code ec;
        if (!path.empty()) std::filesystem::remove_all(path, ec);
    }
    TempFolder(const TempFolder&) = delete;
    TempFolder& operator=(const TempFolder&) = delete;
    std::string path;
};

// What the command line asks for.
struct ArenaOptions {
    bool help = false;
    long long hands = 0, seed = 0;
    std::vector<BotLevel> levels; // by seat, from seat 1
    std::string type;             // limit, potlimit or nolimit
    std::string cash, smallBlind, bigBlind;
    Currency stack, big;
};

// The levels of a comma-separated seat list; false with error on a name
// that is not a level or a count outside 2 to 9.
bool ParseSeats(const std::string& seats, std::vector<BotLevel>& levels, std::string& error)
{
    for (std::size_t start = 0; start <= seats.size();) {
        std::size_t comma = seats.find(',', start);
        if (comma == std::string::npos) comma = seats.size();
        const std::string name = seats.substr(start, comma - start);
        if (name == "classic")
            levels.push_back(BotLevel::Classic);
        else if (name == "strong")
            levels.push_back(BotLevel::Strong);
        else
            return error = "--seats wants levels classic or strong, not \"" + name + "\"", false;
        start = comma + 1;
    }
    if (levels.size() < 2 || levels.size() > 9) return error = "--seats wants 2 to 9 seats", false;
    return true;
}

// False with the whole message to print when an option is unknown, missing
// or not usable.
bool ParseArenaOptions(int argc, char** argv, ArenaOptions& o, std::string& error)
{
    tool::Options options;
    if (!options.Parse(argc, argv, {"--hands", "--seats", "--seed", "--type", "--blinds", "--cash"},
                       {"--help"}, error))
        return error += std::string("\n") + Usage, false;
    o.help = options.Has("--help");
    if (o.help) return true;
    if (!options.GetInt("--hands", 0, 1, 100000000, o.hands, error) ||
        !options.GetInt("--seed", 1, 0, 0x7fffffffffffffffLL, o.seed, error))
        return false;
    if (!options.Has("--hands") || !options.Has("--seats"))
        return error = std::string("--hands and --seats are required\n") + Usage, false;
    if (!ParseSeats(options.Get("--seats"), o.levels, error)) return false;

    o.type = options.Get("--type", "nolimit");
    if (LimitTypes().count(o.type) == 0) return error = "--type must be limit, potlimit or nolimit", false;

    const std::string blinds = options.Get("--blinds", "5/10");
    const std::size_t slash = blinds.find('/');
    if (slash == std::string::npos) return error = "--blinds wants SB/BB, for example 5/10", false;
    o.cash = options.Get("--cash", "1000");
    o.smallBlind = blinds.substr(0, slash);
    o.bigBlind = blinds.substr(slash + 1);
    const auto stack = Currency::Parse(o.cash);
    const auto small = Currency::Parse(o.smallBlind);
    const auto big = Currency::Parse(o.bigBlind);
    if (!stack || !small || !big || *big <= Currency() || *stack < *big)
        return error =
                   "--cash and --blinds want amounts such as 1000 or 2.5, the cash at least the big blind",
               false;
    o.stack = *stack;
    o.big = *big;
    return true;
}

// Plays games at one table until `hands` hands have ended, each hand from
// equal stacks; the number of games, or 0 with error.
int PlayGames(const ArenaOptions& o, const Settings& settings, const Language& language, ArenaView& view,
              std::string& error)
{
    CreateRequest request;
    request.gameName = "Arena";
    request.startCash = o.cash;
    request.smallBlind = o.smallBlind;
    request.bigBlind = o.bigBlind;
    request.currency = "$";
    request.bots = std::to_string(o.levels.size() - 1);
    request.limitType = LimitTypes().at(o.type);

    int games = 0;
    while (view.hands < o.hands) {
        // A lobby numbers the bots it seats over its life: one per game.
        Lobby lobby(settings, language);
        BrowserOutcome created = lobby.CreateButton(request);
        if (!created.openTable) return error = "the game could not be created", 0;
        ++games;
        GameSession session = created.session;
        session.BotLevels.assign(1, BotLevel::Classic);
        session.BotLevels.insert(session.BotLevels.end(), o.levels.begin(), o.levels.end());
        Table table(view, session, language);
        if (!table.Init()) return error = "the table could not be opened", 0;
        const long long before = view.hands;
        for (;;) {
            table.Tick();
            const TableState& s = table.State();
            if (s.Stage == StageGameOver || (view.hands >= o.hands && s.Stage == StageWaiting)) break;
            if (table.CanStartRound() && table.ResetStacks(o.stack)) table.StartRound();
            table.PlayOwnSeat();
        }
        table.Leave();
        if (view.hands == before) return error = "a game ended before its first hand", 0;
    }
    return games;
}

// A line per seat and the summary line with big blinds per hundred hands by level.
void PrintResults(const ArenaOptions& o, const ArenaView& view, int games, double seconds)
{
    std::map<BotLevel, std::pair<Currency, int>> byLevel;
    Currency total;
    const double bigBlind = o.big.ToDouble();
    const double perHundred = 100.0 / static_cast<double>(view.hands);
    for (std::size_t k = 0; k < o.levels.size(); ++k) {
        const Currency net = view.net[k + 1];
        total += net;
        byLevel[o.levels[k]].first += net;
        ++byLevel[o.levels[k]].second;
        std::printf("seat=%zu level=%s hands=%lld net=%s bb100=%.1f\n", k + 1, LevelName(o.levels[k]),
                    view.hands, net.ToString().c_str(), net.ToDouble() / bigBlind * perHundred);
    }
    std::printf("hands=%lld type=%s games=%d net_sum=%s conserved=%s seconds=%.1f", view.hands,
                o.type.c_str(), games, total.ToString().c_str(), view.conserved ? "yes" : "no", seconds);
    for (const auto& [level, sum] : byLevel)
        std::printf(" %s_bb100=%.1f", LevelName(level),
                    sum.first.ToDouble() / bigBlind * perHundred / static_cast<double>(sum.second));
    std::printf("\n");
}

} // namespace

int main(int argc, char** argv)
{
    ArenaOptions o;
    std::string error;
    if (!ParseArenaOptions(argc, argv, o, error)) return Fail(error);
    if (o.help) {
        std::printf("%s", Usage);
        return 0;
    }

    ProgramRandom().Seed(static_cast<std::uint64_t>(o.seed));
    TempFolder temp;
    if (temp.path.empty()) return Fail("no temporary folder");
    Settings settings;
    Language language;
    if (!tool::LoadLanguage(language, settings)) return Fail("no language file beside the program");
    settings.ServerDirectory = tool::ServerDirectoryOf(temp.path);
    settings.LastPlayer = "Arena";
    settings.ServerDelay = 0;

    ArenaView view(o.levels.size(), o.stack);
    const auto started = std::chrono::steady_clock::now();
    const int games = PlayGames(o, settings, language, view, error);
    if (games == 0) return Fail(error);
    const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - started).count();
    PrintResults(o, view, games, seconds);
    return view.conserved ? 0 : 1;
}

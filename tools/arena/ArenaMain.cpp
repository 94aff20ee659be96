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

} // namespace

int main(int argc, char** argv)
{
    tool::Options options;
    std::string error;
    if (!options.Parse(argc, argv, {"--hands", "--seats", "--seed", "--type", "--blinds", "--cash"},
                       {"--help"}, error))
        return Fail(error + "\n" + Usage);
    if (options.Has("--help")) {
        std::printf("%s", Usage);
        return 0;
    }
    long long hands = 0, seed = 0;
    if (!options.GetInt("--hands", 0, 1, 100000000, hands, error) ||
        !options.GetInt("--seed", 1, 0, 0x7fffffffffffffffLL, seed, error))
        return Fail(error);
    if (!options.Has("--hands") || !options.Has("--seats"))
        return Fail(std::string("--hands and --seats are required\n") + Usage);

    std::vector<BotLevel> levels;
    const std::string seats = options.Get("--seats");
    for (std::size_t start = 0; start <= seats.size();) {
        std::size_t comma = seats.find(',', start);
        if (comma == std::string::npos) comma = seats.size();
        const std::string name = seats.substr(start, comma - start);
        if (name == "classic")
            levels.push_back(BotLevel::Classic);
        else if (name == "strong")
            levels.push_back(BotLevel::Strong);
        else
            return Fail("--seats wants levels classic or strong, not \"" + name + "\"");
        start = comma + 1;
    }
    if (levels.size() < 2 || levels.size() > 9) return Fail("--seats wants 2 to 9 seats");

    const std::map<std::string, int> types = {{"limit", 0}, {"potlimit", 1}, {"nolimit", 2}};
    const std::string type = options.Get("--type", "nolimit");
    if (types.count(type) == 0) return Fail("--type must be limit, potlimit or nolimit");

    const std::string blinds = options.Get("--blinds", "5/10");
    const std::size_t slash = blinds.find('/');
    if (slash == std::string::npos) return Fail("--blinds wants SB/BB, for example 5/10");
    const auto stack = Currency::Parse(options.Get("--cash", "1000"));
    const auto small = Currency::Parse(blinds.substr(0, slash));
    const auto big = Currency::Parse(blinds.substr(slash + 1));
    if (!stack || !small || !big || *big <= Currency() || *stack < *big)
        return Fail("--cash and --blinds want amounts such as 1000 or 2.5, the cash at least the big blind");

    ProgramRandom().Seed(static_cast<std::uint64_t>(seed));
    TempFolder temp;
    if (temp.path.empty()) return Fail("no temporary folder");
    Settings settings;
    Language language;
    if (!tool::LoadLanguage(language, settings)) return Fail("no language file beside the program");
    settings.ServerDirectory = tool::ServerDirectoryOf(temp.path);
    settings.LastPlayer = "Arena";
    settings.ServerDelay = 0;

    CreateRequest request;
    request.gameName = "Arena";
    request.startCash = options.Get("--cash", "1000");
    request.smallBlind = blinds.substr(0, slash);
    request.bigBlind = blinds.substr(slash + 1);
    request.currency = "$";
    request.bots = std::to_string(levels.size() - 1);
    request.limitType = types.at(type);

    ArenaView view(levels.size(), *stack);
    const auto started = std::chrono::steady_clock::now();
    int games = 0;
    while (view.hands < hands) {
        // A lobby numbers the bots it seats over its life: one per game.
        Lobby lobby(settings, language);
        BrowserOutcome created = lobby.CreateButton(request);
        if (!created.openTable) return Fail("the game could not be created");
        ++games;
        GameSession session = created.session;
        session.BotLevels.assign(1, BotLevel::Classic);
        session.BotLevels.insert(session.BotLevels.end(), levels.begin(), levels.end());
        Table table(view, session, language);
        if (!table.Init()) return Fail("the table could not be opened");
        const long long before = view.hands;
        for (;;) {
            table.Tick();
            const TableState& s = table.State();
            if (s.Stage == StageGameOver || (view.hands >= hands && s.Stage == StageWaiting)) break;
            if (table.CanStartRound() && table.ResetStacks(*stack)) table.StartRound();
            table.PlayOwnSeat();
        }
        table.Leave();
        if (view.hands == before) return Fail("a game ended before its first hand");
    }
    const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - started).count();

    std::map<BotLevel, std::pair<Currency, int>> byLevel;
    Currency total;
    const double bigBlind = big->ToDouble();
    const double perHundred = 100.0 / static_cast<double>(view.hands);
    for (std::size_t k = 0; k < levels.size(); ++k) {
        const Currency net = view.net[k + 1];
        total += net;
        byLevel[levels[k]].first += net;
        ++byLevel[levels[k]].second;
        std::printf("seat=%zu level=%s hands=%lld net=%s bb100=%.1f\n", k + 1, LevelName(levels[k]),
                    view.hands, net.ToString().c_str(), net.ToDouble() / bigBlind * perHundred);
    }
    std::printf("hands=%lld type=%s games=%d net_sum=%s conserved=%s seconds=%.1f", view.hands, type.c_str(),
                games, total.ToString().c_str(), view.conserved ? "yes" : "no", seconds);
    for (const auto& [level, sum] : byLevel)
        std::printf(" %s_bb100=%.1f", LevelName(level),
                    sum.first.ToDouble() / bigBlind * perHundred / static_cast<double>(sum.second));
    std::printf("\n");
    return view.conserved ? 0 : 1;
}

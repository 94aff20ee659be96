// scrivo-arena: seats bots of the given levels, or reference styles, at one table (the host's own
// seat plays as a bot too) and plays a number of hands through the engine,
// in a game folder on a temporary directory. Every hand starts from equal
// stacks, so each hand's result is one seat's win or loss against the same
// money; a game that ends because all but one seat went broke in one hand is
// followed by a new one.
#include <algorithm>
#include <array>
#include <chrono>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <filesystem>
#include <map>
#include <string>
#include <vector>

#include "cards/Evaluator.h"
#include "engine/Lobby.h"
#include "engine/StrongBot.h"
#include "engine/Table.h"
#include "platform/Random.h"
#include "settings/Language.h"
#include "settings/Settings.h"
#include "tools/arena/ReferenceStyles.h"
#include "tools/table/TableTool.h"

namespace {

using namespace scrivo;

constexpr const char* Usage =
    "usage: scrivo-arena --hands N --seats L1,L2,... [options]\n"
    "  --hands N           hands to play (at least 1)\n"
    "  --seats K1,K2,...   who plays each seat, 2 to 9 seats: the bot levels classic and\n"
    "                      strong, or the reference styles station (calls every bet),\n"
    "                      maniac (raises or shoves nearly every turn) and tag (tight-\n"
    "                      aggressive: a starting-hand chart, then pot odds)\n"
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

// Who plays a seat: a bot level of the program or a reference style.
enum class Kind { Classic, Strong, Station, Maniac, Tag };
constexpr std::array<const char*, 5> KindNames = {"classic", "strong", "station", "maniac", "tag"};

const char* KindName(Kind kind)
{
    return KindNames[static_cast<std::size_t>(kind)];
}

// Sums of one quantity per hand, for its mean and standard error.
struct Tally {
    double sum = 0, squares = 0;
    long long n = 0;
    void Add(double x) { sum += x, squares += x * x, ++n; }
    double Mean() const { return n > 0 ? sum / static_cast<double>(n) : 0.0; }
    double Error() const
    {
        if (n < 2) return 0.0;
        const double mean = Mean();
        const double variance = (squares - static_cast<double>(n) * mean * mean) / static_cast<double>(n - 1);
        return std::sqrt(std::max(0.0, variance) / static_cast<double>(n));
    }
};

// Adds up each seat's result as every hand ends: per seat, and per kind the
// mean over its seats.
class ArenaView : public HeadlessView {
public:
    ArenaView(std::vector<Kind> kinds, Currency stack)
        : net(kinds.size() + 1), perSeat(kinds.size() + 1), m_kinds(std::move(kinds)), m_stack(stack)
    {
    }
    bool DrawsSeats() const override { return false; }
    void HandEnded(const Table& table) override
    {
        const TableState& s = table.State();
        Currency sum;
        std::map<Kind, std::pair<double, int>> byKind;
        for (int p = 1; p <= s.PlayerCount && static_cast<std::size_t>(p) < net.size(); ++p) {
            const auto k = static_cast<std::size_t>(p);
            const Currency delta = s.PlayerCash[k] - m_stack;
            net[k] += delta;
            sum += delta;
            perSeat[k].Add(delta.ToDouble());
            byKind[m_kinds[k - 1]].first += delta.ToDouble();
            ++byKind[m_kinds[k - 1]].second;
        }
        for (const auto& [kind, total] : byKind)
            perKind[kind].Add(total.first / total.second);
        if (sum != Currency()) conserved = false;
        ++hands;
    }
    std::vector<Currency> net; // by seat number
    std::vector<Tally> perSeat;
    std::map<Kind, Tally> perKind;
    long long hands = 0;
    bool conserved = true;

private:
    std::vector<Kind> m_kinds;
    Currency m_stack;
};

// What the strong seats did in the spots where weak play shows, and how
// long they took to decide.
struct StrongNotes {
    long long decisions = 0;
    double seconds = 0, slowest = 0;
    long long smallBlinds = 0, smallBlindFolds = 0; // heads-up, first to act
    long long opensFaced = 0, opensFolded = 0;      // heads-up big blind against a 3 big blind open
    long long shovesFaced = 0, shovesFolded = 0;    // before the flop, the last opponent all in
    long long profitableFolds = 0;                  // ... folded where calling wins against his cards
};

// Share of the pot two known hands give the first, from random boards.
// Share of the pot a hand wins against any two cards, from random deals.
double EquityAgainstAnyTwo(const std::array<clsCard, 2>& mine, Random& random, int trials)
{
    auto id = [](const clsCard& c) { return static_cast<std::uint8_t>(c.facevalue * 4 + c.suit); };
    std::vector<std::uint8_t> rest;
    for (int c = 0; c < 52; ++c)
        if (c != id(mine[0]) && c != id(mine[1])) rest.push_back(static_cast<std::uint8_t>(c));
    double won = 0;
    for (int t = 0; t < trials; ++t) {
        std::array<std::uint8_t, 7> a{id(mine[0]), id(mine[1])}, b{};
        for (int i = 0; i < 7; ++i)
            std::swap(rest[static_cast<std::size_t>(i)],
                      rest[static_cast<std::size_t>(i + random.Below(static_cast<int>(rest.size()) - i))]);
        b[0] = rest[5];
        b[1] = rest[6];
        for (int i = 0; i < 5; ++i)
            a[static_cast<std::size_t>(2 + i)] = b[static_cast<std::size_t>(2 + i)] =
                rest[static_cast<std::size_t>(i)];
        const double x = EvaluateSeven(a.data()), y = EvaluateSeven(b.data());
        won += x > y ? 1.0 : x == y ? 0.5 : 0.0;
    }
    return won / trials;
}

// A strong seat's decision, with what it shows noted. The table's hand is
// read only to judge the decision afterwards: who went all in.
std::string StrongNoted(const BotSituation& s, Random& random, const Table& table,
                        const std::vector<Kind>& kinds, StrongNotes& notes)
{
    // Processor time of this thread: other programs on the machine do not
    // count against the bot.
    const auto cpu = [] {
        timespec t{};
        ::clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
        return static_cast<double>(t.tv_sec) + 1e-9 * static_cast<double>(t.tv_nsec);
    };
    const double started = cpu();
    const std::string request = StrongDecide(s, random);
    const double took = cpu() - started;
    ++notes.decisions;
    notes.seconds += took;
    notes.slowest = std::max(notes.slowest, took);
    if (!s.board.empty()) return request;
    const bool fold = request == "F";
    const Currency bb = s.bigBlind;
    const BotOpponent* last = nullptr;
    for (const BotOpponent& o : s.opponents)
        if (o.live) last = &o;
    if (s.dealtIn == 2 && s.stake < bb && s.level == bb) {
        ++notes.smallBlinds;
        notes.smallBlindFolds += fold;
    }
    if (s.dealtIn == 2 && s.stake == bb && last != nullptr && !last->allIn && last->did.preFlopRaises == 1 &&
        s.level * 2 >= bb * 5 && s.level * 2 <= bb * 7) {
        ++notes.opensFaced;
        notes.opensFolded += fold;
    }
    // A maniac's all in, which he makes with any two cards, when everybody
    // else has folded: calling pays when the hand's share against any two
    // beats the pot odds.
    const HandState& h = table.Hand();
    int shover = 0, others = 0;
    for (int p = 1; p <= h.SeatCount(); ++p) {
        const HandSeat& seat = h.Seat(p);
        if (p == h.toAct || !seat.InHand()) continue;
        if (seat.allIn && s.level > s.stake && seat.total == s.level && seat.total > bb &&
            static_cast<std::size_t>(p) <= kinds.size() &&
            kinds[static_cast<std::size_t>(p) - 1] == Kind::Maniac)
            shover = p;
        else
            ++others;
    }
    if (shover > 0 && others == 0) {
        ++notes.shovesFaced;
        notes.shovesFolded += fold;
        const Currency due = s.level - s.stake, call = std::min(due, s.cash);
        if (fold && EquityAgainstAnyTwo(s.hole, random, 2000) * (s.pot - (due - call) + call).ToDouble() >
                        call.ToDouble())
            ++notes.profitableFolds;
    }
    return request;
}

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
    std::vector<Kind> kinds; // by seat, from seat 1
    std::string type;        // limit, potlimit or nolimit
    std::string cash, smallBlind, bigBlind;
    Currency stack, big;
};

// The kinds of a comma-separated seat list; false with error on a name
// that is no kind or a count outside 2 to 9.
bool ParseSeats(const std::string& seats, std::vector<Kind>& kinds, std::string& error)
{
    for (std::size_t start = 0; start <= seats.size();) {
        std::size_t comma = seats.find(',', start);
        if (comma == std::string::npos) comma = seats.size();
        const std::string name = seats.substr(start, comma - start);
        const auto it = std::find(KindNames.begin(), KindNames.end(), name);
        if (it == KindNames.end())
            return error = "--seats wants classic, strong, station, maniac or tag, not \"" + name + "\"",
                   false;
        kinds.push_back(static_cast<Kind>(it - KindNames.begin()));
        start = comma + 1;
    }
    if (kinds.size() < 2 || kinds.size() > 9) return error = "--seats wants 2 to 9 seats", false;
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
    if (!ParseSeats(options.Get("--seats"), o.kinds, error)) return false;

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
              StrongNotes& notes, std::string& error)
{
    CreateRequest request;
    request.gameName = "Arena";
    request.startCash = o.cash;
    request.smallBlind = o.smallBlind;
    request.bigBlind = o.bigBlind;
    request.currency = "$";
    request.bots = std::to_string(o.kinds.size() - 1);
    request.limitType = LimitTypes().at(o.type);

    int games = 0;
    std::vector<SeatHistory> seen; // the same players sit down again
    while (view.hands < o.hands) {
        // A lobby numbers the bots it seats over its life: one per game.
        Lobby lobby(settings, language);
        BrowserOutcome created = lobby.CreateButton(request);
        if (!created.openTable) return error = "the game could not be created", 0;
        ++games;
        GameSession session = created.session;
        session.BotLevels.assign(1, BotLevel::Classic);
        for (const Kind kind : o.kinds)
            session.BotLevels.push_back(kind == Kind::Strong ? BotLevel::Strong : BotLevel::Classic);
        Table table(view, session, language);
        if (!table.Init()) return error = "the table could not be opened", 0;
        table.SetSeatHistories(seen);
        for (std::size_t k = 0; k < o.kinds.size(); ++k) {
            Table::SeatPlayer player;
            switch (o.kinds[k]) {
            case Kind::Strong:
                player = [&table, &o, &notes](const BotSituation& s, Random& random) {
                    return StrongNoted(s, random, table, o.kinds, notes);
                };
                break;
            case Kind::Station:
                player = arena::StationDecide;
                break;
            case Kind::Maniac:
                player = arena::ManiacDecide;
                break;
            case Kind::Tag:
                player = arena::TagDecide;
                break;
            case Kind::Classic:
                break;
            }
            table.SetSeatPlayer(static_cast<int>(k) + 1, std::move(player));
        }
        const long long before = view.hands;
        for (;;) {
            table.Tick();
            const TableState& s = table.State();
            if (s.Stage == StageGameOver || (view.hands >= o.hands && s.Stage == StageWaiting)) break;
            if (table.CanStartRound() && table.ResetStacks(o.stack)) table.StartRound();
            table.PlayOwnSeat();
        }
        seen = table.SeatHistories();
        table.Leave();
        if (view.hands == before) return error = "a game ended before its first hand", 0;
    }
    return games;
}

double Percent(long long part, long long whole)
{
    return whole > 0 ? 100.0 * static_cast<double>(part) / static_cast<double>(whole) : 0.0;
}

// A line per seat and the summary line: big blinds per hundred hands with
// their standard errors, by seat and by kind (the mean of its seats), and
// what the strong seats showed.
void PrintResults(const ArenaOptions& o, const ArenaView& view, const StrongNotes& notes, int games,
                  double seconds)
{
    Currency total;
    const double perHundred = 100.0 / o.big.ToDouble();
    for (std::size_t k = 0; k < o.kinds.size(); ++k) {
        const Currency net = view.net[k + 1];
        total += net;
        const Tally& t = view.perSeat[k + 1];
        std::printf("seat=%zu level=%s hands=%lld net=%s bb100=%.1f se=%.1f\n", k + 1, KindName(o.kinds[k]),
                    view.hands, net.ToString().c_str(),
                    net.ToDouble() * perHundred / static_cast<double>(view.hands), t.Error() * perHundred);
    }
    std::printf("hands=%lld type=%s games=%d net_sum=%s conserved=%s seconds=%.1f", view.hands,
                o.type.c_str(), games, total.ToString().c_str(), view.conserved ? "yes" : "no", seconds);
    for (const auto& [kind, t] : view.perKind)
        std::printf(" %s_bb100=%.1f %s_se=%.1f", KindName(kind), t.Mean() * perHundred, KindName(kind),
                    t.Error() * perHundred);
    if (notes.decisions > 0)
        std::printf(
            " strong_decisions=%lld decide_cpu_ms_mean=%.2f decide_cpu_ms_max=%.2f sb_fold_pct=%.1f(%lld)"
            " bb_fold_vs_open_pct=%.1f(%lld) maniac_shove_fold_pct=%.1f(%lld) profitable_fold_pct=%.1f",
            notes.decisions, 1000.0 * notes.seconds / static_cast<double>(notes.decisions),
            1000.0 * notes.slowest, Percent(notes.smallBlindFolds, notes.smallBlinds), notes.smallBlinds,
            Percent(notes.opensFolded, notes.opensFaced), notes.opensFaced,
            Percent(notes.shovesFolded, notes.shovesFaced), notes.shovesFaced,
            Percent(notes.profitableFolds, notes.shovesFaced));
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

    ArenaView view(o.kinds, o.stack);
    StrongNotes notes;
    const auto started = std::chrono::steady_clock::now();
    const int games = PlayGames(o, settings, language, view, notes, error);
    if (games == 0) return Fail(error);
    const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - started).count();
    PrintResults(o, view, notes, games, seconds);
    return view.conserved ? 0 : 1;
}

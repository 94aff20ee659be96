// scrivo-host: creates a game in a server directory, seats bots, waits for
// human players if asked, and runs the host's table without a window,
// starting every hand itself, until one player holds all the cash or the
// hand limit is reached. The host's own seat plays by a policy.
#include <chrono>
#include <cstdio>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "cards/Card.h"
#include "engine/Lobby.h"
#include "engine/Table.h"
#include "gamefolder/RecordFile.h"
#include "platform/Clock.h"
#include "platform/FileOps.h"
#include "platform/Paths.h"
#include "platform/Random.h"
#include "platform/Text.h"
#include "settings/Language.h"
#include "settings/Settings.h"
#include "tools/table/TableTool.h"
#include "settings/TextIds.h"

namespace {

using namespace scrivo;

constexpr const char* Usage =
    "usage: scrivo-host --dir DIR [options]\n"
    "  --dir DIR           the server directory (must exist)\n"
    "  --bots N            bots to seat, 0 to 8 (default 2)\n"
    "  --hands N           stop after N hands (default 0: play until one player has all the cash)\n"
    "  --delay MS          poll delay in milliseconds, 0 allowed (default 100)\n"
    "  --seed N            fixed seed for cards and bots\n"
    "  --keep              leave the game folder in place at the end\n"
    "  --type T            THLI, THPL or THNL (default THNL)\n"
    "  --rules R           the betting rules: standard or classic (default standard)\n"
    "  --protected         a protected table: every human player takes part in shuffling and dealing,\n"
    "                      nobody sees another's cards, and requests and chat are signed\n"
    "  --key FILE          keep the host's signing keys in FILE, to prove the seat again after a crash\n"
    "                      (default: keys for this run alone)\n"
    "  --cash AMOUNT       start cash of every seat (default 1000)\n"
    "  --blinds SB/BB      small and big blind (default 5/10)\n"
    "  --wait-players K    wait until K human players have joined (default 0)\n"
    "  --name NAME         the host's name (default Host)\n"
    "  --policy P          how the host's seat plays: random, call or script:C,B20,F,A (default random)\n"
    "  --bot-level L       how the bots play: classic or strong (default classic)\n"
    "  --turn-time S       seconds a player has for a turn, 0 for no limit (default 0)\n"
    "  --stacks A,B,...    start cash per seat in seat order, host first (overrides --cash)\n"
    "  --deck CARDS        deal the pack in this order (a card list such as 0_12,3_5)\n"
    "  --outage-limit S    end the game when the folder stays out of reach for S seconds (default 600)\n"
    "  --share-delay MS    every open and lock waits MS milliseconds first, as on a slow network share\n"
    "  --help              this text\n"
    "Exits with 1 when the chips in the records did not add up after a hand or at the end.\n";

// Prints the lines and checks after every hand and at the end of the game
// (a game over at the start of a hand included) that no chip appeared or
// vanished: the records' cash adds up to what was handed out, none negative.
class HostView : public tool::PrintingView {
public:
    using PrintingView::PrintingView;
    void HandEnded(const Table& table) override { Check(table); }
    void GameEnded(const Table& table) override { Check(table); }
    void Check(const Table& table)
    {
        FolderResult<RecordFile> file =
            OpenRecordFile(PlayerFilePath(table.Session().GameFolder), PlayerRecordLength);
        if (!file) {
            conserved = false;
            return;
        }
        std::optional<Currency> sum = Currency();
        for (int p = 1; p <= table.State().PlayerCount; ++p) {
            FolderResult<PlayerRecord> r = file->ReadPlayer(p);
            if (r && r->Cash >= Currency() && r->Cash == table.State().PlayerCash[p]) {
                if (sum) sum = Currency::CheckedAdd(*sum, r->Cash);
                continue;
            }
            conserved = false;
            if (!r)
                Report("the record of seat " + std::to_string(p) + " could not be read");
            else
                Report("the record of seat " + std::to_string(p) + " holds cash " + r->Cash.ToString() +
                       ", the table " + table.State().PlayerCash[p].ToString());
        }
        if (!sum) Report("the seats' cash does not fit in an amount");
        if (!sum || *sum != expected) conserved = false;
    }
    // Says each fault once: a record damaged for good is not news every hand.
    void Report(const std::string& text)
    {
        if (!m_reported.insert(text).second) return;
        std::fprintf(stderr, "scrivo-host: chip check: %s\n", text.c_str());
    }
    Currency expected;
    bool conserved = true;

private:
    std::set<std::string> m_reported;
};

int Fail(const std::string& text)
{
    std::fprintf(stderr, "scrivo-host: %s\n", text.c_str());
    return 2;
}

// What the command line asks for.
struct HostOptions {
    bool help = false;
    bool keep = false;
    long long bots = 2, hands = 0, delay = 100, seed = 0, waitPlayers = 0, shareDelay = 0;
    bool seeded = false;
    std::string type = "THNL";
    int limitType = 2;
    std::string cash = "1000";
    std::string smallBlind = "5", bigBlind = "10";
    Currency startCash;
    std::string policy = "random";
    std::string dir, name = "Host";
    long long turnSeconds = 0;
    long long outageLimit = 600;
    std::vector<Currency> stacks; // start cash per seat, host first
    std::string deck;
    std::string botLevel = "classic";
    HandRules rules = HandRules::Standard;
    bool protectedTable = false;
    std::string keyFile;
};

// False with error when an option is unknown or its value is not usable.
bool ParseHostOptions(int argc, char** argv, HostOptions& o, std::string& error)
{
    tool::Options options;
    if (!options.Parse(argc, argv,
                       {"--dir", "--bots", "--hands", "--delay", "--seed", "--type", "--cash", "--blinds",
                        "--wait-players", "--name", "--policy", "--turn-time", "--stacks", "--deck",
                        "--bot-level", "--rules", "--outage-limit", "--key", "--share-delay"},
                       {"--keep", "--help", "--protected"}, error))
        return false;
    o.help = options.Has("--help");
    if (o.help) return true;
    if (!options.Has("--dir")) {
        error = "--dir is required";
        return false;
    }
    o.dir = options.Get("--dir");
    o.keep = options.Has("--keep");
    o.protectedTable = options.Has("--protected");
    o.keyFile = options.Get("--key");
    if (options.Has("--key") && o.keyFile.empty()) {
        error = "--key wants a file name";
        return false;
    }
    if (!options.GetInt("--bots", 2, 0, 8, o.bots, error) ||
        !options.GetInt("--hands", 0, 0, 1000000000, o.hands, error) ||
        !options.GetInt("--delay", 100, 0, 600000, o.delay, error) ||
        !options.GetInt("--seed", 0, 0, 0x7fffffffffffffffLL, o.seed, error) ||
        !options.GetInt("--wait-players", 0, 0, 8, o.waitPlayers, error) ||
        !options.GetInt("--turn-time", 0, 0, 86400, o.turnSeconds, error) ||
        !options.GetInt("--outage-limit", 600, 1, 86400, o.outageLimit, error) ||
        !options.GetInt("--share-delay", 0, 0, 1000, o.shareDelay, error))
        return false;
    o.seeded = options.Has("--seed");
    if (o.bots + o.waitPlayers > 8) {
        error = "a table seats nine: the host, bots and waited-for players together";
        return false;
    }
    o.type = options.Get("--type", "THNL");
    if (o.type == "THLI")
        o.limitType = 0;
    else if (o.type == "THPL")
        o.limitType = 1;
    else if (o.type != "THNL") {
        error = "--type must be THLI, THPL or THNL";
        return false;
    }
    const auto rules = ParseRules(options.Get("--rules", "standard"));
    if (!rules) {
        error = "--rules must be standard or classic";
        return false;
    }
    o.rules = *rules;
    o.cash = options.Get("--cash", "1000");
    const std::string blinds = options.Get("--blinds", "5/10");
    const std::size_t slash = blinds.find('/');
    if (slash == std::string::npos) {
        error = "--blinds wants SB/BB, for example 5/10";
        return false;
    }
    o.smallBlind = blinds.substr(0, slash);
    o.bigBlind = blinds.substr(slash + 1);
    const auto startCash = Currency::Parse(o.cash);
    if (!startCash || !Currency::Parse(o.smallBlind) || !Currency::Parse(o.bigBlind)) {
        error = "--cash and --blinds want amounts such as 1000 or 2.5";
        return false;
    }
    o.startCash = *startCash;
    o.policy = options.Get("--policy", "random");
    o.name = options.Get("--name", "Host");
    o.botLevel = options.Get("--bot-level", "classic");
    if (o.botLevel != "classic" && o.botLevel != "strong") {
        error = "--bot-level must be classic or strong";
        return false;
    }
    if (options.Has("--stacks")) {
        const std::string list = options.Get("--stacks");
        std::size_t start = 0;
        for (;;) {
            const std::size_t comma = list.find(',', start);
            const auto amount =
                Currency::Parse(list.substr(start, comma == std::string::npos ? comma : comma - start));
            if (!amount || *amount <= Currency()) {
                error = "--stacks wants amounts above 0 separated by commas, host first";
                return false;
            }
            o.stacks.push_back(*amount);
            if (comma == std::string::npos) break;
            start = comma + 1;
        }
        if (static_cast<long long>(o.stacks.size()) > 9) {
            error = "--stacks names more than nine seats";
            return false;
        }
    }
    o.deck = options.Get("--deck");
    if (!o.deck.empty() && !ParseCardList(o.deck).ok) {
        error = "--deck wants a card list such as 0_12,3_5";
        return false;
    }
    return true;
}

// Start cash per seat as asked: the records and the total the books check.
bool SetStacks(const std::string& folder, const std::vector<Currency>& stacks, int seats)
{
    FolderResult<RecordFile> file = OpenRecordFile(PlayerFilePath(folder), PlayerRecordLength);
    if (!file) return false;
    for (int p = 1; p <= seats && p <= static_cast<int>(stacks.size()); ++p) {
        FolderResult<PlayerRecord> r = file->ReadPlayer(p);
        if (!r) return false;
        r->Cash = stacks[static_cast<std::size_t>(p - 1)];
        if (!file->WritePlayer(p, *r)) return false;
    }
    return true;
}

// The game the options describe, as the browser's "Create Now" asks for it.
CreateRequest CreateRequestOf(const HostOptions& o)
{
    CreateRequest request;
    request.gameName = "Headless " + o.type;
    request.startCash = o.cash;
    request.smallBlind = o.smallBlind;
    request.bigBlind = o.bigBlind;
    request.currency = "$";
    request.bots = std::to_string(o.bots);
    request.limitType = o.limitType;
    request.rules = o.rules;
    request.protectedTable = o.protectedTable;
    request.turnSeconds = static_cast<int>(o.turnSeconds);
    return request;
}

// Humans join while the game waits for its first hand.
void WaitForPlayers(const std::string& folder, long long players, long long delay)
{
    Clock& clock = ProgramClock();
    for (;;) {
        FolderResult<GameRecord> g = ReadGameRecord(folder);
        if (g && g->PlayerCount >= players) break;
        clock.SleepFor(std::chrono::milliseconds(delay > 0 ? delay : 20));
    }
}

// Ticks the host's table, starting every hand it may, until the game is over
// or `hands` hands have ended (0: no limit); the seconds that took.
double PlayHands(Table& table, tool::Policy& policy, long long hands, long long delay)
{
    Clock& clock = ProgramClock();
    const auto started = std::chrono::steady_clock::now();
    for (;;) {
        table.Tick();
        const TableState& s = table.State();
        if (s.Stage == StageGameOver || table.Stopped()) break;
        // A later host holds the table: this one plays on at its seat.
        if (!table.IsHostTable() && s.LastStatus == GameStatus::Ended) break;
        if (hands > 0 && table.Counters().handsEnded >= hands && s.Stage == StageWaiting) break;
        if (table.CanStartRound()) table.StartRound();
        policy.Act(table);
        if (delay > 0) clock.SleepFor(table.PollDelay(std::chrono::milliseconds(delay)));
    }
    const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - started).count();
    // The lines of the last hand were written during the last tick.
    table.Tick();
    return seconds;
}

// Ends the game and names its winner: the one seat left with cash ("none"
// when the hand limit or damage ended it with cash at several seats).
std::string FinishGame(Table& table, const std::string& folder, bool keep)
{
    const TableState& s = table.State();
    std::string winner = "none";
    if (table.Stopped()) return winner;
    if (!table.IsHostTable()) {
        if (!keep) table.Leave();
        return winner;
    }
    if (s.Stage == StageGameOver) {
        int holders = 0;
        for (int p = 1; p <= s.PlayerCount; ++p)
            if (s.HandStake[p] > StakeOut && s.PlayerCash[p] > Currency()) {
                ++holders;
                winner = s.PlayerNames[p];
            }
        if (holders != 1) winner = "none";
    } else {
        // The hand limit ends the game for everybody at the table.
        ReportFailure("Error writing status: ", WriteGameRecord(folder, GameStatus::Ended, false));
    }
    // Leaving removes the folder once no human is seated; players still at
    // the table remove it when the last of them leaves.
    if (!keep) table.Leave();
    return winner;
}

// The file calls per action on stderr, the summary line on stdout.
void PrintSummary(const Table& table, const FileOpCounts& calls, double seconds, bool conserved,
                  const std::string& winner)
{
    const TableCounters& c = table.Counters();
    const double actions = c.actionsProcessed > 0 ? static_cast<double>(c.actionsProcessed) : 1.0;
    std::fprintf(stderr,
                 "scrivo-host: ticks=%lld record_opens=%lld per action: opens=%.2f locks=%.2f reads=%.2f "
                 "writes=%.2f stats=%.2f round_trips=%.2f\n",
                 c.ticks, c.recordOpens, static_cast<double>(calls.opens) / actions,
                 static_cast<double>(calls.locks) / actions, static_cast<double>(calls.reads) / actions,
                 static_cast<double>(calls.writes) / actions, static_cast<double>(calls.stats) / actions,
                 static_cast<double>(calls.RoundTrips()) / actions);
    // A protected table adds how long its deals and reveals took on average.
    std::string dealt;
    if (c.deals > 0) {
        char figures[96];
        std::snprintf(figures, sizeof figures, " deal_ms=%.1f reveal_ms=%.1f voided=%lld",
                      1000 * c.dealSeconds / static_cast<double>(c.deals),
                      c.reveals > 0 ? 1000 * c.revealSeconds / static_cast<double>(c.reveals) : 0.0,
                      c.handsVoided);
        dealt = figures;
    }
    std::printf("hands=%lld actions=%lld seconds=%.3f hands_per_s=%.1f conserved=%s winner=%s%s\n",
                c.handsEnded, c.actionsProcessed, seconds,
                seconds > 0 ? static_cast<double>(c.handsEnded) / seconds : 0.0, conserved ? "yes" : "no",
                tool::EscapeLine(winner).c_str(), dealt.c_str());
    std::fflush(stdout);
}

} // namespace

int main(int argc, char** argv)
{
    static char buffer[1 << 16];
    std::setvbuf(stdout, buffer, _IOFBF, sizeof buffer);

    HostOptions o;
    std::string error;
    if (!ParseHostOptions(argc, argv, o, error)) return Fail(error + "\n" + Usage);
    if (o.help) {
        std::printf("%s", Usage);
        return 0;
    }
    if (o.seeded) ProgramRandom().Seed(static_cast<std::uint64_t>(o.seed));
    tool::Policy policy;
    if (!policy.Set(o.policy, error)) return Fail(error);

    if (!IsDirectory(o.dir)) return Fail("no such folder: " + o.dir);
    Settings settings;
    Language language;
    if (!tool::LoadLanguage(language, settings)) return Fail("no language file beside the program");
    settings.ServerDirectory = tool::ServerDirectoryOf(o.dir);
    settings.LastPlayer = o.name;
    settings.ServerDelay = static_cast<long>(o.delay);
    Lobby lobby(settings, language);
    BrowserOutcome created = lobby.CreateButton(CreateRequestOf(o));
    if (!created.openTable) return Fail("the game could not be created");
    created.session.Deck = o.deck;
    const std::string& folder = created.session.GameFolder;
    std::fprintf(stderr, "scrivo-host: game folder %s\n", folder.c_str());

    WaitForPlayers(folder, 1 + o.bots + o.waitPlayers, o.delay);
    FolderResult<GameRecord> seated = ReadGameRecord(folder);
    if (!seated) return Fail("the game record could not be read");
    if (!o.stacks.empty() && !SetStacks(folder, o.stacks, seated->PlayerCount))
        return Fail("the start cash could not be set");
    GameSession session = created.session;
    session.BotLevels.assign(MaxPlayers + 1, o.botLevel == "strong" ? BotLevel::Strong : BotLevel::Classic);
    session.PollMilliseconds = static_cast<int>(o.delay);
    session.OutageLimitSeconds = static_cast<int>(o.outageLimit);
    session.SigningKeyFile = o.keyFile;

    // Every file call of the table is counted: on a share each is a round trip.
    std::optional<DelayFileOps> share;
    std::optional<ScopedFileOps> shared;
    if (o.shareDelay > 0) {
        share.emplace(CurrentFileOps(), std::chrono::milliseconds(o.shareDelay));
        shared.emplace(*share);
    }
    CountingFileOps counting(CurrentFileOps());
    ScopedFileOps counted(counting);
    HostView view(1, false);
    Table table(view, session, language);
    if (!table.Init()) return Fail("the table could not be opened");
    for (int p = 1; p <= table.State().PlayerCount; ++p) {
        const auto sum = Currency::CheckedAdd(view.expected, table.State().PlayerCash[p]);
        if (!sum) return Fail("the seats' start cash does not fit in an amount");
        view.expected = *sum;
    }

    const double seconds = PlayHands(table, policy, o.hands, o.delay);
    const std::string winner = FinishGame(table, folder, o.keep);
    PrintSummary(table, counting.Counts(), seconds, view.conserved, winner);
    if (table.FolderGone())
        std::fprintf(stderr, "scrivo-host: %s\n", language.LangText[Msg::GameFolderGone].c_str());
    if (table.Stopped()) return view.conserved ? 2 : 1;
    return view.conserved ? 0 : 1;
}

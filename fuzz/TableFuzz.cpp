// A host table and a client table playing on a game folder that the input
// builds and then damages. The input is read as:
//   byte 0   seats (2..6)             byte 1   bots (taking seats 2..)
//   byte 2   game type, host options  byte 3   stakes and the turn time
//   byte 4   a short stack: seat and size
//   byte 5   random seed              byte 6   edits made before the tables open
// then steps, each an operation and its bytes, after each of which both
// tables tick once. A few quiet ticks follow, then both tables leave.
//
// Properties: no crash or hang; nothing written beside the game folder; on a
// folder that stayed whole the chips on the table stay what they were and no
// error is reported; on a damaged one the reports end (the table stops or
// plays on), they never go on poll after poll.
#include <algorithm>
#include <array>
#include <chrono>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "engine/Table.h"
#include "engine/TableView.h"
#include "fuzz/FuzzSupport.h"
#include "gamefolder/GameSession.h"
#include "gamefolder/Journal.h"
#include "gamefolder/RecordFile.h"
#include "gamefolder/Records.h"
#include "platform/Clock.h"
#include "platform/MessageBox.h"
#include "platform/Paths.h"
#include "platform/Random.h"
#include "platform/Text.h"
#include "settings/Language.h"
#include "testsupport/FakeClock.h"
#include "testsupport/GameFolderWriter.h"

namespace scrivo::fuzz {

namespace {

namespace fs = std::filesystem;

constexpr int MaxSteps = 48;
constexpr int QuietTicks = 24;
// A table that goes on after the quiet ticks may have found damage once
// (reported, maybe once more for leaving or a refused start), but in their
// last ticks it reports no more.
constexpr int QuietReports = 3;
constexpr int SilentTicks = 8;

// Counts what the tables report and gives the cautious answer.
class CountingBox final : public MessageBoxService {
public:
    MsgAnswer Show(const MessageBoxRequest& request) override
    {
        ++shown;
        last = request.text;
        return CautiousAnswer(request.buttons);
    }
    int shown = 0;
    std::string last;
};

class FuzzView final : public HeadlessView {
public:
    explicit FuzzView(bool drawsSeats) : m_drawsSeats(drawsSeats) {}
    bool DrawsSeats() const override { return m_drawsSeats; }

private:
    bool m_drawsSeats;
};

// Puts the process services back whatever way the body ends.
struct ServicesInstalled {
    ServicesInstalled(Clock& clock, MessageBoxService& box)
    {
        SetProgramClock(&clock);
        SetMessageBoxService(&box);
    }
    ~ServicesInstalled()
    {
        SetProgramClock(nullptr);
        QuietMessages();
    }
    ServicesInstalled(const ServicesInstalled&) = delete;
    ServicesInstalled& operator=(const ServicesInstalled&) = delete;
};

const Language& Texts()
{
    static const Language language = [] {
        Language l;
        for (int n = 0; n < l.LangText.Count; ++n)
            l.LangText[MsgId(n)] = "[" + std::to_string(n) + "]%|$|*";
        for (int n = 0; n < l.AppText.Count; ++n)
            l.AppText[CapId(n)] = "(" + std::to_string(n) + ")";
        return l;
    }();
    return language;
}

template <typename T> T Need(FolderResult<T> result)
{
    Require(result.Ok(), "the fuzzer's own folder work succeeds");
    return std::move(result.value);
}

void Need(const FolderStatus& status)
{
    Require(status.Ok(), "the fuzzer's own folder work succeeds");
}

struct Setup {
    int seats = 2;
    int bots = 0;
    std::string type = "THNL";
    bool hostDrawsSeats = false;
    bool hostPlaysOwnSeat = false;
    int turnSeconds = 0;
    Currency startCash;
    Currency smallBlind;
    Currency bigBlind;
    std::vector<Currency> cash; // by player number, entry 0 unused
};

Setup ReadSetup(Input& in)
{
    Setup s;
    s.seats = 2 + in.Byte() % 5;
    s.bots = in.Byte() % s.seats;
    const std::uint8_t options = in.Byte();
    s.type = std::array<const char*, 3>{"THLI", "THPL", "THNL"}[options % 3];
    s.hostDrawsSeats = (options & 4) != 0;
    s.hostPlaysOwnSeat = (options & 8) != 0;
    const std::uint8_t stakes = in.Byte();
    // Whole amounts, cents, and blinds that are a large part of the stack.
    static constexpr std::array<std::int64_t, 4> cashRaw{10'000'000, 500'000, 1'000'000'000'000'000LL,
                                                         77'500};
    static constexpr std::array<std::int64_t, 4> blindRaw{50'000, 2'500, 10'000'000'000'000LL, 12'500};
    s.startCash = Currency::FromRaw(cashRaw[stakes % 4]);
    s.smallBlind = Currency::FromRaw(blindRaw[(stakes >> 2) % 4]);
    if (s.smallBlind * 2 > s.startCash) s.smallBlind = Currency::FromRaw(s.startCash.Raw() / 4);
    s.bigBlind = s.smallBlind * 2;
    s.turnSeconds = (stakes >> 4) % 8 == 0 ? 0 : 1 + (stakes >> 4) % 8;
    s.cash.assign(static_cast<std::size_t>(s.seats) + 1, s.startCash);
    const std::uint8_t shortStack = in.Byte();
    const int shortSeat = shortStack % 8;
    if (shortSeat >= 1 && shortSeat <= s.seats)
        s.cash[static_cast<std::size_t>(shortSeat)] =
            Currency::FromRaw(std::max<std::int64_t>(1, s.bigBlind.Raw() * (shortStack >> 3) / 8));
    return s;
}

// The folder as creation and the joins leave it.
void WriteFolder(const std::string& folder, const Setup& s)
{
    test::GameSetup game;
    game.gameName = "Fuzz table";
    game.type = s.type;
    game.startCash = s.startCash;
    game.smallBlind = s.smallBlind;
    game.bigBlind = s.bigBlind;
    game.bots = s.bots;
    game.names.clear();
    for (int p = 1; p <= s.seats; ++p)
        game.names.push_back(p >= 2 && p <= s.bots + 1 ? "Bot" + std::to_string(p)
                                                       : "Seat" + std::to_string(p));
    game.cash.assign(s.cash.begin() + 1, s.cash.end());
    Need(test::WriteGameRecords(folder, game));
}

// The folder as the tables find it, decoded.
struct FolderView {
    bool readable = false;
    GameRecord game;
    std::vector<PlayerRecord> seats; // index = player number, 0 = board
};

FolderView ReadFolder(const std::string& folder, int seats)
{
    FolderView v;
    if (!fs::exists(GameFilePath(folder)) || !fs::exists(PlayerFilePath(folder))) return v;
    auto gam = OpenRecordFile(GameFilePath(folder), GameRecordLength);
    if (!gam) return v;
    auto game = gam->ReadGame();
    gam->Close();
    auto usr = OpenRecordFile(PlayerFilePath(folder), PlayerRecordLength);
    if (!game || !usr) return v;
    v.game = game.value;
    for (int p = 0; p <= seats; ++p) {
        auto r = usr->ReadPlayer(p);
        if (!r) return v;
        v.seats.push_back(r.value);
    }
    v.readable = true;
    return v;
}

// A whole folder before the tables open: every record sound, nothing bet,
// the game waiting for its first hand. Gives the chips on the table.
std::optional<Currency> WholeChips(const std::string& folder, const Setup& s)
{
    const FolderView v = ReadFolder(folder, s.seats);
    if (!v.readable || CheckGameRecord(v.game) || v.game.Status != GameStatus::Waiting) return std::nullopt;
    if (v.game.PlayerCount != s.seats || v.game.BotCount != s.bots || Trim(v.game.GameType) != s.type)
        return std::nullopt;
    if (v.game.SmallBlind != s.smallBlind || v.game.BigBlind != s.bigBlind || !v.game.Pot.IsZero())
        return std::nullopt;
    auto usr = OpenRecordFile(PlayerFilePath(folder), PlayerRecordLength);
    if (!usr || CheckSeatRecords(v.game, Need(usr->RecordCount())) ||
        Need(usr->ByteSize()) % PlayerRecordLength)
        return std::nullopt;
    Currency chips;
    for (int p = 0; p <= s.seats; ++p) {
        const PlayerRecord& r = v.seats[static_cast<std::size_t>(p)];
        if (CheckPlayerRecord(r, p) || !r.Bet.IsZero()) return std::nullopt;
        if (p == BoardPlayerNo) continue; // its cash is nobody's
        if (Trim(r.Action) != "-") return std::nullopt;
        chips += r.Cash;
    }
    return chips;
}

// What the seats and the pot hold adds up to the chips the game began with:
// in a hand the bets are in the pot, once it is paid the cash holds them all.
void RequireChipsKept(const std::string& folder, const Setup& s, Currency chips, const Table& host)
{
    const FolderView v = ReadFolder(folder, s.seats);
    if (!v.readable) return; // removed when the last player left
    const GameStatus status = v.game.Status;
    Currency cash;
    Currency bets;
    for (int p = 1; p <= s.seats; ++p) {
        const PlayerRecord& r = v.seats[static_cast<std::size_t>(p)];
        Require(r.Cash >= Currency() && r.Bet >= Currency(), "no seat holds less than nothing");
        cash += r.Cash;
        bets += r.Bet;
        if (!host.State().Closing)
            Require(host.State().PlayerCash[static_cast<std::size_t>(p)] == r.Cash,
                    "the host's cash is the seat's");
    }
    if (status.IsTurn()) {
        Require(v.game.Pot == bets, "the pot holds the hand's bets");
        Require(cash + v.game.Pot == chips, "chips in a hand are kept");
    } else {
        if (status == GameStatus::StartHand)
            Require(v.game.Pot.IsZero(), "a new hand starts with an empty pot");
        Require(cash == chips, "chips between hands are kept");
    }
}

std::uint64_t FileSize(const std::string& path)
{
    std::error_code ec;
    const auto size = fs::file_size(path, ec);
    return ec ? 0 : size;
}

void Overwrite(const std::string& path, std::uint64_t offset, std::string_view bytes, bool cut)
{
    std::ifstream in(path, std::ios::binary);
    std::string content{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    if (offset > content.size()) offset = content.size();
    if (cut) content.resize(offset);
    content.replace(offset, std::min(bytes.size(), content.size() - offset), bytes);
    WriteFile(path, content);
}

void WriteAction(const std::string& folder, int player, const std::string& action)
{
    RecordFile usr = Need(OpenRecordFile(PlayerFilePath(folder), PlayerRecordLength));
    auto r = usr.ReadPlayer(player);
    if (!r) return;
    r->Action = action;
    Need(usr.WritePlayer(player, *r));
}

// Everything the run leaves lies in the game folder: the server folder holds
// nothing else.
void RequireOnlyGameFolder(const std::string& root, const std::string& folder)
{
    for (const auto& entry : fs::recursive_directory_iterator(root)) {
        const fs::path& path = entry.path();
        if (path == fs::path(folder)) continue;
        Require(path.parent_path() == fs::path(folder), "nothing is written beside the game folder");
        const std::string name = path.filename().string();
        Require(name == GameFileName || name == PlayerFileName || name == MessageFileName ||
                    name == HostFileName || name == JournalFileName,
                "only the game's own files are in its folder");
    }
}

// The runs of the process share one folder, emptied before each.
std::string FreshRoot()
{
    const std::string root = ScratchFolder() + "/table";
    std::error_code ec;
    fs::remove_all(root, ec);
    fs::create_directories(root + "/game");
    return root;
}

class Run {
public:
    Run(Input& in, const Setup& setup, const std::string& root)
        : m_in(in), m_setup(setup), m_root(root), m_folder(root + "/game"), m_services(m_clock, m_box)
    {
    }

    void Play()
    {
        ProgramRandom().Seed(1000 + m_in.Byte());
        WriteFolder(m_folder, m_setup);
        const int early = m_in.Byte() % 4;
        for (int i = 0; i < early && !m_in.Empty(); ++i)
            Edit(m_in.Byte());
        m_chips = WholeChips(m_folder, m_setup);
        m_whole = m_chips.has_value();

        m_host = std::make_unique<Table>(m_hostView, Session(1), Texts());
        const bool hostOpen = m_host->Init();
        Require(hostOpen || !m_whole, "a whole folder opens");
        const int clientSeat = m_setup.bots + 2;
        if (clientSeat <= m_setup.seats) {
            m_client = std::make_unique<Table>(m_clientView, Session(clientSeat), Texts());
            if (!m_client->Init()) m_client.reset();
            Require(m_client || !m_whole, "a whole folder opens for a player");
        }
        if (!hostOpen) return;
        RequireQuiet("opening a whole folder");

        for (int step = 0; step < MaxSteps && !m_in.Empty(); ++step) {
            Edit(m_in.Byte());
            TickBoth();
        }
        for (int t = 0; t < QuietTicks; ++t)
            TickBoth(t);
        RequireStopsReporting(*m_host, 0);
        if (m_client) RequireStopsReporting(*m_client, 1);

        if (m_client) m_client->Leave();
        m_host->Leave();
        RequireQuiet("leaving");
        if (m_whole) RequireChipsKept(m_folder, m_setup, *m_chips, *m_host);
        // Nobody edits the journal here: every hand the host wrote replays.
        if (m_client) Require(m_client->Counters().handsFailed == 0, "every journalled hand adds up");
        RequireOnlyGameFolder(m_root, m_folder);
    }

private:
    GameSession Session(int seat) const
    {
        GameSession session;
        session.GameFolder = m_folder;
        session.GameName = "Fuzz table";
        session.GameType = m_setup.type;
        session.MyPlayerNo = seat;
        session.IsHost = seat == 1;
        session.BotCount = m_setup.bots;
        session.TurnSeconds = seat == 1 ? m_setup.turnSeconds : 0;
        return session;
    }

    void RequireQuiet(const char* when)
    {
        if (m_whole) Require(m_box.shown == 0, when);
    }

    void NoteReports(int which, int before, int quietTick)
    {
        if (quietTick < 0 || m_box.shown == before) return;
        m_quietReports[which] += m_box.shown - before;
        m_lastReport[which] = quietTick;
    }

    void RequireStopsReporting(const Table& table, int which) const
    {
        if (table.State().Closing || m_quietReports[which] <= QuietReports) return;
        Require(m_lastReport[which] < QuietTicks - SilentTicks,
                "a table with nothing new to read stops reporting");
    }

    void TickBoth(int quietTick = -1)
    {
        // As the window does: a game whose folder has gone is not polled,
        // since every poll would only report the same failure.
        if (!FolderExists(GameFilePath(m_folder))) return;
        int before = m_box.shown;
        if (m_setup.hostPlaysOwnSeat && m_host->MyTurn()) m_host->PlayOwnSeat();
        // A player who saw Start Round refused does not keep pressing it.
        if (!m_startRefused && m_host->CanStartRound()) m_startRefused = !m_host->StartRound();
        m_host->Tick();
        NoteReports(0, before, quietTick);
        before = m_box.shown;
        if (m_client) m_client->Tick();
        NoteReports(1, before, quietTick);
        m_clock.Advance(std::chrono::milliseconds(700));
        if (m_whole) {
            RequireQuiet("a whole folder plays without a report");
            RequireChipsKept(m_folder, m_setup, *m_chips, *m_host);
        }
    }

    // A request for the player whose turn it is, as command entry would
    // write it (or something it never would).
    void Request(std::uint8_t kind)
    {
        const TableState& s = m_host->State();
        const int p = s.CurrentPlayer;
        if (p < 1 || p > s.PlayerCount || p >= static_cast<int>(s.PlayerCash.size())) return;
        if (p >= 2 && p <= m_setup.bots + 1) return; // the bots decide for themselves
        const Currency cash = s.PlayerCash[static_cast<std::size_t>(p)];
        const Currency stake = s.HandStake[static_cast<std::size_t>(p)];
        const Currency call = s.MinBet > stake && stake >= Currency() ? s.MinBet - stake : Currency();
        std::string request;
        switch (kind % 8) {
        case 0:
            request = "C";
            break;
        case 1:
            request = "F";
            break;
        case 2:
            request = "R" + std::min(call, cash).ToString();
            break;
        case 3:
            request = "R" + std::min(call + s.BigBlind * (1 + m_in.Byte() % 4), cash).ToString();
            break;
        case 4:
            request = "R" + cash.ToString();
            break;
        case 5:
            request = "R" + Currency::FromRaw(static_cast<std::int64_t>(m_in.U64() >> 8)).ToString();
            break;
        case 6:
            // A player who left; the host's own seat says so only when the
            // host has left, so there it is a forgery.
            request = "D";
            if (p == 1) m_whole = false;
            break;
        default:
            // Text command entry never writes: the host must hand it back.
            request = "R" + m_in.Piece().substr(0, ActionWidth - 1);
            break;
        }
        WriteAction(m_folder, p, request);
        if (m_client && p == m_client->Session().MyPlayerNo) m_client->RequestWritten();
    }

    std::string PathOf(std::uint8_t which) const
    {
        switch (which % 3) {
        case 0:
            return GameFilePath(m_folder);
        case 1:
            return PlayerFilePath(m_folder);
        default:
            return MessageFilePath(m_folder);
        }
    }

    void Damaged(std::uint8_t which)
    {
        // Lines of msg.spk are anybody's to write; they carry no chips.
        if (which % 3 != 2) m_whole = false;
    }

    void Edit(std::uint8_t op)
    {
        // The last player to leave removes the game; edits then find nothing.
        if (!fs::is_directory(m_folder)) return;
        switch (op % 8) {
        case 0:
        case 1:
        case 2:
            if (m_host) Request(op >> 3);
            break;
        case 3:
            // A chat line as any player sends it.
            Need(SendPlayerMessage(m_folder, "p" + m_in.Piece().substr(0, MessageWidth - 1)));
            break;
        case 4: {
            const std::uint8_t which = m_in.Byte();
            const std::string path = PathOf(which);
            const std::uint64_t size = FileSize(path);
            if (size == 0) break;
            const std::uint64_t offset = (static_cast<std::uint64_t>(m_in.Byte()) << 8 | m_in.Byte()) % size;
            const char value = static_cast<char>(m_in.Byte());
            Overwrite(path, offset, std::string_view(&value, 1), false);
            Damaged(which);
            break;
        }
        case 5: {
            const std::uint8_t which = m_in.Byte();
            const std::string path = PathOf(which);
            const std::uint64_t size = FileSize(path);
            const std::uint64_t length =
                (static_cast<std::uint64_t>(m_in.Byte()) << 8 | m_in.Byte()) % (size + 1);
            Overwrite(path, length, {}, true);
            Damaged(which);
            break;
        }
        case 6: {
            const std::uint8_t which = m_in.Byte();
            const std::string path = PathOf(which);
            const std::string bytes = m_in.Piece().substr(0, 2 * MessageRecordLength);
            Overwrite(path, FileSize(path), bytes, false);
            Damaged(which);
            break;
        }
        default:
            // Time passes: turns run out, the client looks for the host.
            m_clock.Advance(std::chrono::seconds(m_in.Byte() % 32));
            break;
        }
    }

    Input& m_in;
    const Setup& m_setup;
    std::string m_root;
    std::string m_folder;
    test::FakeClock m_clock;
    CountingBox m_box;
    ServicesInstalled m_services;
    std::optional<Currency> m_chips;
    bool m_whole = false;
    // Reports of the host and of the client in the quiet ticks.
    std::array<int, 2> m_quietReports{};
    std::array<int, 2> m_lastReport{};
    bool m_startRefused = false;
    FuzzView m_hostView{m_setup.hostDrawsSeats};
    FuzzView m_clientView{true};
    std::unique_ptr<Table> m_host;
    std::unique_ptr<Table> m_client;
};

} // namespace

void TableBody(const std::uint8_t* data, std::size_t size)
{
    Input in(data, size);
    const Setup setup = ReadSetup(in);
    const std::string root = FreshRoot();
    Run run(in, setup, root);
    run.Play();
}

} // namespace scrivo::fuzz

#include "testsupport/EngineFixtures.h"

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <stdexcept>
#include <thread>

#include <csignal>
#include <sys/wait.h>
#include <unistd.h>

#include "gamefolder/RecordFile.h"
#include "platform/Paths.h"
#include "platform/Text.h"

namespace scrivo::test {

namespace {

template <typename T> T Need(FolderResult<T> result)
{
    if (!result) throw std::runtime_error(result.status.description);
    return std::move(result.value);
}

void Need(const FolderStatus& status)
{
    if (!status) throw std::runtime_error(status.description);
}

RecordFile OpenGame(const std::string& folder)
{
    return Need(OpenRecordFile(GameFilePath(folder), GameRecordLength));
}
RecordFile OpenSeats(const std::string& folder)
{
    return Need(OpenRecordFile(PlayerFilePath(folder), PlayerRecordLength));
}

} // namespace

void WriteGameFolder(const std::string& folder, const GameSetup& setup)
{
    Need(WriteGameRecords(folder, setup));
}

Language NumberedLanguage()
{
    Language language;
    for (int n = 0; n < language.LangText.Count; ++n)
        language.LangText[MsgId(n)] = "[" + std::to_string(n) + "]%|$|*";
    return language;
}

std::string Numbered(MsgId n, const std::string& a1, const std::string& a2, const std::string& a3)
{
    return "[" + std::to_string(n.Number()) + "]" + (a1.empty() ? "%" : a1) + "|" + (a2.empty() ? "$" : a2) +
           "|" + (a3.empty() ? "*" : a3);
}

GameRecord ReadGameFile(const std::string& folder)
{
    return Need(OpenGame(folder).ReadGame());
}

PlayerRecord ReadSeat(const std::string& folder, int playerNo)
{
    return Need(OpenSeats(folder).ReadPlayer(playerNo));
}

void SetAction(const std::string& folder, int playerNo, const std::string& action)
{
    RecordFile file = OpenSeats(folder);
    PlayerRecord r = Need(file.ReadPlayer(playerNo));
    r.Action = action;
    Need(file.WritePlayer(playerNo, r));
}

void SetStatus(const std::string& folder, const std::string& status)
{
    RecordFile file = OpenGame(folder);
    GameRecord g = Need(file.ReadGame());
    g.Status = GameStatus::FromText(status);
    Need(file.WriteGame(g));
}

std::vector<std::string> ReadAllMessages(const std::string& folder)
{
    return Need(ReadMessagesSince(folder, 0)).lines;
}

GameSession SessionAt(const std::string& folder, int playerNo, const std::string& gameType, int bots)
{
    GameSession session;
    session.GameFolder = folder;
    session.MyPlayerNo = playerNo;
    session.IsHost = playerNo == 1;
    session.GameType = gameType;
    session.BotCount = bots;
    session.GameName = "Test table";
    return session;
}

HostAndClient::HostAndClient(GameSetup gameSetup, int clientNo, const Language& language, bool hostDrawsSeats)
    : setup(std::move(gameSetup))
{
    WriteGameFolder(dir.Path(), setup);
    hostView.drawsSeats = hostDrawsSeats;
    host = std::make_unique<Table>(hostView, SessionAt(dir.Path(), 1, setup.type, setup.bots), language);
    client = std::make_unique<Table>(clientView, SessionAt(dir.Path(), clientNo, setup.type, setup.bots),
                                     language);
}

bool HostAndClient::Open()
{
    return host->Init() && client->Init();
}

std::string RandomRequest(Random& random, const TableState& s, int playerNo, bool handedBack)
{
    const Currency cash = s.PlayerCash[playerNo];
    const Currency call = s.MinBet > s.HandStake[playerNo] ? s.MinBet - s.HandStake[playerNo] : Currency();
    const int pick = random.Below(100);
    if (pick < 10) return "F";
    if (pick < 16) return "R" + cash.ToString();
    if (handedBack && pick < 19)
        return std::vector<std::string>{"R", "Rxyz", "R0", "R-3", "Q", "R99999999"}[random.Below(6)];
    Currency bet = call;
    if (pick < 35)
        bet += s.BigBlind * (1 + random.Below(4)) + Currency::FromRaw(random.Below(3) * 2500);
    else if (call.IsZero())
        return "C";
    return "R" + std::min(bet, cash).ToString();
}

void PlayRandomly(Table& host, const std::string& folder, Random& random, const std::function<bool()>& stop,
                  bool handedBack)
{
    const TableState& s = host.State();
    for (int guard = 0; guard < 1000000 && s.Stage != StageGameOver && !stop(); ++guard) {
        if (host.CanStartRound()) host.StartRound();
        host.Tick();
        if (::testing::Test::HasFatalFailure()) return;
        // The host handles a request in the tick that sees it, so the player
        // whose turn it is now has nothing pending.
        if (s.CurrentPlayer >= 1 && s.Stage >= StagePreFlop && s.Stage < StageShowdown)
            SetAction(folder, s.CurrentPlayer, RandomRequest(random, s, s.CurrentPlayer, handedBack));
    }
}

std::string OnlyGameFolder(const std::string& server)
{
    std::string folder;
    for (const auto& entry : std::filesystem::directory_iterator(server))
        folder = entry.path().string();
    return folder;
}

Currency SeatCashTotal(const std::string& folder, int seats)
{
    Currency total;
    for (int p = 1; p <= seats; ++p)
        total += ReadSeat(folder, p).Cash;
    return total;
}

int CountContaining(const std::vector<std::string>& lines, const std::string& part)
{
    return static_cast<int>(std::count_if(lines.begin(), lines.end(), [&](const std::string& line) {
        return line.find(part) != std::string::npos;
    }));
}

bool WaitFor(const std::function<bool()>& done, std::chrono::seconds limit)
{
    const auto end = std::chrono::steady_clock::now() + limit;
    while (!done()) {
        if (std::chrono::steady_clock::now() > end) return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
    return true;
}

ToolOutput ReadToolOutput(const std::string& path)
{
    ToolOutput out;
    std::ifstream in(path);
    std::string line, last;
    while (std::getline(in, line)) {
        if (line.rfind('#', 0) != 0) {
            last = line.empty() ? last : line;
            continue;
        }
        const std::size_t space = line.find(' ');
        const long record = std::stol(line.substr(1, space - 1));
        const std::string text = line.substr(space + 1);
        // Record 0 is each table's own welcome; private lines differ by seat.
        if (record > 0 && !text.empty() && (text[0] < '1' || text[0] > '9')) out.publicLines[record] = text;
    }
    std::istringstream fields(last);
    for (std::string field; fields >> field;)
        if (const std::size_t eq = field.find('='); eq != std::string::npos)
            out.summary[field.substr(0, eq)] = field.substr(eq + 1);
    return out;
}

void ExpectSameGame(const ToolOutput& host, const ToolOutput& theirs, const std::string& name)
{
    EXPECT_EQ(theirs.summary.count("hands") ? theirs.summary.at("hands") : "",
              host.summary.count("hands") ? host.summary.at("hands") : "")
        << name;
    std::map<long, std::string> same;
    for (const auto& [record, line] : host.publicLines) {
        const auto seen = theirs.publicLines.find(record);
        same[record] = seen == theirs.publicLines.end() ? std::string() : seen->second;
    }
    EXPECT_EQ(same, host.publicLines) << name;
}

void RunTogether(const std::string& bin, const TempDir& out, const std::vector<ToolRun>& runs, int seconds)
{
    std::string script = "cd '" + out.Path() + "' || exit 1; ";
    for (const ToolRun& run : runs)
        script += "(timeout -s KILL " + std::to_string(seconds) + " '" + bin + "'/" + run.commandLine +
                  " --dir '" + run.dir + "' >" + run.name + ".txt; echo $? >" + run.name + ".rc) & ";
    ASSERT_EQ(std::system((script + "wait").c_str()), 0);
    for (const ToolRun& run : runs)
        EXPECT_EQ(TempDir::Read(out.File(run.name + ".rc")), "0\n") << run.name;
}

Program::Program(const std::string& out, const std::string& commandLine, const std::string& runAs)
{
    m_pid = ::fork();
    if (m_pid == 0) {
        ::setpgid(0, 0);
        const std::string line =
            "exec " + runAs + " '" + ProgramFolder() + "'/" + commandLine + " >'" + out + "' 2>&1";
        ::execl("/bin/sh", "sh", "-c", line.c_str(), static_cast<char*>(nullptr));
        ::_exit(127);
    }
}

Program::~Program()
{
    if (m_pid > 0 && !m_done) {
        ::kill(m_pid, SIGKILL);
        ::waitpid(m_pid, nullptr, 0);
    }
}

void Program::Signal(int sig)
{
    ::kill(m_pid, sig);
}

int Program::Wait(std::chrono::seconds limit)
{
    WaitFor(
        [&] {
            int status = 0;
            if (m_done || ::waitpid(m_pid, &status, WNOHANG) != m_pid) return m_done;
            m_status = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
            return m_done = true;
        },
        limit);
    return m_done ? m_status : -1;
}

HostTable::HostTable() = default;

void HostTable::Open(std::vector<std::string> names, std::vector<Currency> cash, std::string type, int bots)
{
    GameSetup setup;
    setup.names = std::move(names);
    setup.cash = std::move(cash);
    setup.type = std::move(type);
    setup.bots = bots;
    WriteGameFolder(dir.Path(), setup);
    GameSession session = SessionAt(dir.Path(), 1, setup.type, bots);
    session.Rules = rules;
    table = std::make_unique<Table>(view, session, language);
    ASSERT_TRUE(table->Init());
    mark = ReadAllMessages(dir.Path()).size();
}

void HostTable::StartHand()
{
    ASSERT_TRUE(table->StartRound());
    table->Tick();
}

void HostTable::Act(const std::string& request)
{
    SetAction(dir.Path(), table->State().CurrentPlayer, request);
    table->Tick();
}

std::string HostTable::Status()
{
    return ReadGameFile(dir.Path()).Status.Text();
}
std::string HostTable::Action(int playerNo)
{
    return Trim(ReadSeat(dir.Path(), playerNo).Action);
}
Currency HostTable::Cash(int playerNo)
{
    return ReadSeat(dir.Path(), playerNo).Cash;
}

Currency HostTable::TotalCash()
{
    return SeatCashTotal(dir.Path(), table->State().PlayerCount);
}

std::vector<std::string> HostTable::NewLines()
{
    const std::vector<std::string> all = ReadAllMessages(dir.Path());
    std::vector<std::string> fresh(all.begin() + static_cast<long>(std::min(mark, all.size())), all.end());
    mark = all.size();
    return fresh;
}

bool HostTable::Has(const std::vector<std::string>& lines, const std::string& line)
{
    return std::find(lines.begin(), lines.end(), line) != lines.end();
}

} // namespace scrivo::test

#pragma once

#include <chrono>
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "engine/Table.h"
#include "engine/TableView.h"
#include "gamefolder/GameSession.h"
#include "gamefolder/Records.h"
#include "platform/Currency.h"
#include "platform/Random.h"
#include "settings/Language.h"
#include "testsupport/GameFolderWriter.h"
#include "testsupport/ProcessState.h"
#include "testsupport/RecordingMessageBox.h"
#include "testsupport/TempDir.h"

namespace scrivo::test {

inline Currency Whole(long long n)
{
    return Currency::FromWhole(n);
}

// A headless table view that counts the hands and hands the log lines on.
class RecordingView : public HeadlessView {
public:
    void LogLines(const std::vector<LogLine>& lines) override
    {
        if (onLines) onLines(lines);
    }
    void HandEnded(const Table& table) override
    {
        ++handsEnded;
        if (onHandEnded) onHandEnded(table);
    }
    void GameEnded(const Table&) override { gameEnded = true; }
    bool DrawsSeats() const override { return drawsSeats; }

    int handsEnded = 0;
    bool gameEnded = false;
    bool drawsSeats = true;
    std::function<void(const std::vector<LogLine>&)> onLines;
    std::function<void(const Table&)> onHandEnded;
};

// WriteGameRecords, throwing on a failure.
void WriteGameFolder(const std::string& folder, const GameSetup& setup);

// Message n becomes "[n]%|$|*", so that a test sees which message was used
// and with which arguments. No bot chat.
Language NumberedLanguage();
// "[n]" followed by the arguments as FormatText would fill them.
std::string Numbered(MsgId n, const std::string& a1 = {}, const std::string& a2 = {},
                     const std::string& a3 = {});

GameRecord ReadGameFile(const std::string& folder);
PlayerRecord ReadSeat(const std::string& folder, int playerNo);
void SetAction(const std::string& folder, int playerNo, const std::string& action);
void SetStatus(const std::string& folder, const std::string& status);
std::vector<std::string> ReadAllMessages(const std::string& folder);

// The session of one client of the game in folder (player 1 hosts).
GameSession SessionAt(const std::string& folder, int playerNo, const std::string& gameType, int bots = 0);

// A request of the kinds players send: mostly calls and checks, some bets
// (some with cents), folds and all-ins, and with `handedBack` now and then
// one the host has to hand back.
std::string RandomRequest(Random& random, const TableState& s, int playerNo, bool handedBack = false);
// Ticks the host's table in folder, starting every round it may, with the
// player on turn sending a RandomRequest, until `stop`, the game's end or a
// fatal failure.
void PlayRandomly(Table& host, const std::string& folder, Random& random, const std::function<bool()>& stop,
                  bool handedBack = false);

// A game folder and two tables playing it in one process: the host's
// (player 1) and one client's (player clientNo).
struct HostAndClient {
    HostAndClient(GameSetup gameSetup, int clientNo, const Language& language, bool hostDrawsSeats = true);
    // Opens both tables; false when either does not open.
    bool Open();

    TempDir dir;
    GameSetup setup;
    RecordingView hostView;
    RecordingView clientView;
    std::unique_ptr<Table> host;
    std::unique_ptr<Table> client;
};

// The one game folder in a server directory.
std::string OnlyGameFolder(const std::string& server);
// The cash of seats 1 .. seats of folder, added up.
Currency SeatCashTotal(const std::string& folder, int seats);
// How many of the lines hold part.
int CountContaining(const std::vector<std::string>& lines, const std::string& part);
// Polls until done holds or the time is up; whether it came to hold.
bool WaitFor(const std::function<bool()>& done, std::chrono::seconds limit);

// What a host or client program printed: the lines everybody sees, by
// record number, and the key=value fields of its closing summary line.
struct ToolOutput {
    std::map<long, std::string> publicLines;
    std::map<std::string, std::string> summary;
};
ToolOutput ReadToolOutput(const std::string& path);
// Another program of the game played as many hands as the host and printed
// every public line the host printed, in the same place.
void ExpectSameGame(const ToolOutput& host, const ToolOutput& theirs, const std::string& name);

// Starts the programs of folder bin at once, each on its server directory
// and killed after `seconds`; the output of each goes to <name>.txt in out.
// A program that fails fails the test.
struct ToolRun {
    std::string name, commandLine, dir;
};
void RunTogether(const std::string& bin, const TempDir& out, const std::vector<ToolRun>& runs, int seconds);

// A program of the build started in the background, its output in a file;
// killed when the object goes, whatever happened.
class Program {
public:
    // runAs: a command that runs the program as another account, or nothing.
    Program(const std::string& out, const std::string& commandLine, const std::string& runAs = {});
    ~Program();
    Program(const Program&) = delete;
    Program& operator=(const Program&) = delete;
    void Signal(int sig);
    // The exit status (128 + the signal when killed), or -1 when it is still
    // running at the deadline.
    int Wait(std::chrono::seconds limit);

private:
    int m_pid = -1;
    bool m_done = false;
    int m_status = 0;
};

// The host's table on a fresh game folder, driven tick by tick.
class HostTable : public ::testing::Test {
protected:
    HostTable();
    void Open(std::vector<std::string> names, std::vector<Currency> cash = {}, std::string type = "THNL",
              int bots = 0);
    // Start Round and the tick that posts the blinds and deals.
    void StartHand();
    // The current player's request, processed by the host's next tick.
    void Act(const std::string& request);
    std::string Status();
    std::string Action(int playerNo);
    Currency Cash(int playerNo);
    Currency TotalCash();
    // Lines written since the last call.
    std::vector<std::string> NewLines();
    static bool Has(const std::vector<std::string>& lines, const std::string& line);

    FreshProcessState fresh;
    TempDir dir;
    RecordingMessageBox box;
    Language language = NumberedLanguage();
    RecordingView view;
    std::unique_ptr<Table> table;
    std::size_t mark = 0;
    // The staged positions of these tests follow the older rules unless a
    // test asks for the standard ones.
    HandRules rules = HandRules::Classic;
};

} // namespace scrivo::test

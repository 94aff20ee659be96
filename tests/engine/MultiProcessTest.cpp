// One host program with two bots and two client programs share a server
// directory, as machines of a network do, and play a game to the end.
#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <map>
#include <string>
#include <thread>
#include <vector>

#include <gtest/gtest.h>

#include "gamefolder/RecordFile.h"
#include "platform/Paths.h"
#include "platform/Text.h"
#include "testsupport/TempDir.h"

extern char** environ;

namespace scrivo {
namespace {

struct Process {
    pid_t pid = -1;
    std::string output;   // file with its standard output
};

Process Spawn(const std::vector<std::string>& args, const std::string& output)
{
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 1, output.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    std::vector<char*> argv;
    for (const std::string& a : args) argv.push_back(const_cast<char*>(a.c_str()));
    argv.push_back(nullptr);
    Process p;
    p.output = output;
    if (posix_spawn(&p.pid, argv[0], &actions, nullptr, argv.data(), environ) != 0) p.pid = -1;
    posix_spawn_file_actions_destroy(&actions);
    return p;
}

// Waits for every process; a process still running at the deadline is killed.
std::vector<int> WaitAll(std::vector<Process>& processes, std::chrono::seconds limit)
{
    std::vector<int> codes(processes.size(), -1);
    std::vector<bool> done(processes.size(), false);
    const auto deadline = std::chrono::steady_clock::now() + limit;
    for (;;) {
        bool all = true;
        for (std::size_t i = 0; i < processes.size(); ++i) {
            if (done[i]) continue;
            int status = 0;
            if (waitpid(processes[i].pid, &status, WNOHANG) == processes[i].pid) {
                done[i] = true;
                codes[i] = WIFEXITED(status) ? WEXITSTATUS(status) : 128;
            } else {
                all = false;
            }
        }
        if (all) return codes;
        if (std::chrono::steady_clock::now() > deadline) {
            for (std::size_t i = 0; i < processes.size(); ++i)
                if (!done[i]) {
                    kill(processes[i].pid, SIGKILL);
                    waitpid(processes[i].pid, nullptr, 0);
                }
            return codes;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
}

struct Seen {
    std::map<long, std::string> publicLines;   // record number -> line shown to everybody
    std::string last;                          // the closing summary line
};

Seen ReadOutput(const std::string& path)
{
    Seen seen;
    std::ifstream in(path);
    std::string line;
    while (std::getline(in, line)) {
        if (line.rfind('#', 0) == 0) {
            const std::size_t space = line.find(' ');
            const long record = std::stol(line.substr(1, space - 1));
            const std::string text = line.substr(space + 1);
            // Record 0 is each table's own welcome; private lines differ by seat.
            if (record > 0 && !text.empty() && (text[0] < '1' || text[0] > '9')) seen.publicLines[record] = text;
        } else if (!line.empty()) {
            seen.last = line;
        }
    }
    return seen;
}

// "key=value" out of a summary line.
std::string Field(const std::string& summary, const std::string& key)
{
    const std::size_t at = summary.find(key + "=");
    if (at == std::string::npos) return {};
    const std::size_t start = at + key.size() + 1;
    return summary.substr(start, summary.find(' ', start) - start);
}

TEST(MultiProcessTest, HostBotsAndTwoClientsSeeTheSameGame)
{
    const std::string bin = ProgramFolder();
    const std::string host = JoinPath(bin, "scrivo-host");
    const std::string client = JoinPath(bin, "scrivo-client");
    ASSERT_TRUE(FolderExists(host) && FolderExists(client)) << "the table tools are not built";

    test::TempDir server;
    test::TempDir outputs;
    std::vector<Process> processes;
    processes.push_back(Spawn({host, "--dir", server.Path(), "--bots", "2", "--wait-players", "2", "--hands", "21",
                               "--delay", "4", "--seed", "5", "--keep", "--cash", "4000", "--blinds", "5/10",
                               "--type", "THLI", "--policy", "call"},
                              outputs.File("host.txt")));
    processes.push_back(Spawn({client, "--dir", server.Path(), "--name", "Cleo", "--seed", "11", "--delay", "15",
                               "--policy", "script:C,B,C,F,C,C"},
                              outputs.File("cleo.txt")));
    processes.push_back(Spawn({client, "--dir", server.Path(), "--name", "Dan", "--seed", "12", "--delay", "15",
                               "--policy", "script:C,C,B,C,F"},
                              outputs.File("dan.txt")));
    for (const Process& p : processes) ASSERT_GT(p.pid, 0);
    const std::vector<int> codes = WaitAll(processes, std::chrono::seconds(150));
    for (int code : codes) ASSERT_EQ(code, 0);

    const Seen hostSeen = ReadOutput(outputs.File("host.txt"));
    const Seen cleo = ReadOutput(outputs.File("cleo.txt"));
    const Seen dan = ReadOutput(outputs.File("dan.txt"));

    EXPECT_EQ(Field(hostSeen.last, "conserved"), "yes") << hostSeen.last;
    const long hands = std::stol(Field(hostSeen.last, "hands"));
    const bool gameOver = Field(hostSeen.last, "winner") != "none";
    EXPECT_TRUE(hands >= 20 || gameOver) << hostSeen.last;
    EXPECT_GE(hands, 20) << hostSeen.last;

    // Every line the host saw, every client saw too, as the same line in
    // the same place; the clients may also see the others leave.
    ASSERT_FALSE(hostSeen.publicLines.empty());
    for (const Seen* c : {&cleo, &dan}) {
        ASSERT_FALSE(c->publicLines.empty());
        EXPECT_GE(c->publicLines.rbegin()->first, hostSeen.publicLines.rbegin()->first);
        for (const auto& [record, line] : hostSeen.publicLines) {
            const auto it = c->publicLines.find(record);
            ASSERT_NE(it, c->publicLines.end()) << "record " << record;
            ASSERT_EQ(it->second, line) << "record " << record;
        }
        EXPECT_EQ(std::stol(Field(c->last, "hands")), hands) << c->last;
    }

    // The clients' last view of their cash is what the records hold.
    std::string gameFolder;
    for (const auto& entry : std::filesystem::directory_iterator(server.Path())) gameFolder = entry.path().string();
    ASSERT_FALSE(gameFolder.empty());
    auto usr = OpenRecordFile(PlayerFilePath(gameFolder), PlayerRecordLength);
    ASSERT_TRUE(usr);
    std::map<std::string, Currency> cash;
    Currency total;
    for (int p = 1; p <= 5; ++p) {
        auto r = usr->ReadPlayer(p);
        ASSERT_TRUE(r);
        cash[Trim(r->Name)] = r->Cash;
        total += r->Cash;
    }
    EXPECT_EQ(total, Currency::FromWhole(20000));
    EXPECT_EQ(Field(cleo.last, "cash"), cash["Cleo"].ToString());
    EXPECT_EQ(Field(dan.last, "cash"), cash["Dan"].ToString());
}

} // namespace
} // namespace scrivo

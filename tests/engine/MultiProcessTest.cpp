// One host program with two bots and two client programs share a server
// directory, as machines of a network do, and play a game to the end.
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <sstream>
#include <string>

#include <gtest/gtest.h>

#include "platform/Paths.h"
#include "platform/Text.h"
#include "testsupport/EngineFixtures.h"

namespace scrivo {
namespace {

struct Seen {
    std::map<long, std::string> publicLines;    // record number -> line shown to everybody
    std::map<std::string, std::string> summary; // key=value pairs of the last line
};

Seen ReadOutput(const std::string& path)
{
    Seen seen;
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
        if (record > 0 && !text.empty() && (text[0] < '1' || text[0] > '9')) seen.publicLines[record] = text;
    }
    std::istringstream fields(last);
    for (std::string field; fields >> field;)
        if (const std::size_t eq = field.find('='); eq != std::string::npos)
            seen.summary[field.substr(0, eq)] = field.substr(eq + 1);
    return seen;
}

TEST(MultiProcessTest, HostBotsAndTwoClientsSeeTheSameGame)
{
    const std::string bin = ProgramFolder();
    ASSERT_TRUE(FolderExists(JoinPath(bin, "scrivo-host")) && FolderExists(JoinPath(bin, "scrivo-client")));
    test::TempDir server, out;
    const std::map<std::string, std::string> programs{
        {"host", "scrivo-host --bots 2 --wait-players 2 --hands 21 --delay 4 --seed 5 --keep --cash 4000 "
                 "--blinds 5/10 --type THLI --policy call"},
        {"Cleo", "scrivo-client --name Cleo --seed 11 --delay 15 --policy script:C,B,C,F,C,C"},
        {"Dan", "scrivo-client --name Dan --seed 12 --delay 15 --policy script:C,C,B,C,F"}};
    // All at once, each with a time limit; output in <name>.txt, exit code in <name>.rc.
    std::string script = "cd '" + out.Path() + "' || exit 1; B='" + bin + "'; S='" + server.Path() + "'; ";
    for (const auto& [name, command] : programs)
        script += "(timeout -s KILL 150 \"$B\"/" + command + " --dir \"$S\" >" + name + ".txt; echo $? >" +
                  name + ".rc) & ";
    ASSERT_EQ(std::system((script + "wait").c_str()), 0);
    for (const auto& entry : programs)
        EXPECT_EQ(test::TempDir::Read(out.File(entry.first + ".rc")), "0\n") << entry.first;
    if (HasFailure()) return;

    Seen host = ReadOutput(out.File("host.txt"));
    EXPECT_EQ(host.summary["conserved"], "yes");
    EXPECT_GE(std::stol("0" + host.summary["hands"]), 20);

    // The records at the end: all cash is there, and each client saw its own.
    std::string gameFolder;
    for (const auto& entry : std::filesystem::directory_iterator(server.Path()))
        gameFolder = entry.path().string();
    std::map<std::string, Currency> cash;
    Currency total;
    for (int p = 1; p <= 5; ++p) {
        const PlayerRecord r = test::ReadSeat(gameFolder, p);
        cash[Trim(r.Name)] = r.Cash;
        total += r.Cash;
    }
    EXPECT_EQ(total, Currency::FromWhole(20000));

    // Every line the host saw, every client saw too, as the same line in the
    // same place; the clients may also see the others leave.
    ASSERT_FALSE(host.publicLines.empty());
    for (const std::string name : {"Cleo", "Dan"}) {
        Seen seen = ReadOutput(out.File(name + ".txt"));
        EXPECT_EQ(seen.summary["hands"], host.summary["hands"]) << name;
        EXPECT_EQ(seen.summary["cash"], cash[name].ToString()) << name;
        std::map<long, std::string> same;
        for (const auto& entry : host.publicLines)
            same[entry.first] = seen.publicLines[entry.first];
        EXPECT_EQ(same, host.publicLines) << name;
    }
}

} // namespace
} // namespace scrivo

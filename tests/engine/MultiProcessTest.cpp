// One host program with two bots and two client programs share a server
// directory, as machines of a network do, and play a game to the end.
#include <filesystem>
#include <map>
#include <string>

#include <gtest/gtest.h>

#include "platform/Paths.h"
#include "platform/Text.h"
#include "testsupport/EngineFixtures.h"

namespace scrivo {
namespace {

TEST(MultiProcessTest, HostBotsAndTwoClientsSeeTheSameGame)
{
    const std::string bin = ProgramFolder();
    ASSERT_TRUE(FolderExists(JoinPath(bin, "scrivo-host")) && FolderExists(JoinPath(bin, "scrivo-client")));
    test::TempDir server, out;
    const std::string& dir = server.Path();
    test::RunTogether(
        bin, out,
        {{"host",
          "scrivo-host --bots 2 --wait-players 2 --hands 21 --delay 4 --seed 5 --keep --cash "
          "4000 --blinds 5/10 --type THLI --policy call",
          dir},
         {"Cleo", "scrivo-client --name Cleo --seed 11 --delay 15 --policy script:C,B,C,F,C,C", dir},
         {"Dan", "scrivo-client --name Dan --seed 12 --delay 15 --policy script:C,C,B,C,F", dir}},
        150);
    if (HasFailure()) return;

    test::ToolOutput host = test::ReadToolOutput(out.File("host.txt"));
    EXPECT_EQ(host.summary["conserved"], "yes");
    EXPECT_GE(std::stol("0" + host.summary["hands"]), 20);

    // The records at the end: all cash is there, and each client saw its own.
    const std::string gameFolder = test::OnlyGameFolder(server.Path());
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
        test::ToolOutput seen = test::ReadToolOutput(out.File(name + ".txt"));
        EXPECT_EQ(seen.summary["cash"], cash[name].ToString()) << name;
        test::ExpectSameGame(host, seen, name);
    }
}

// The same at a protected table: the programs deal together, every hand is
// played to its end, and the chips add up.
TEST(MultiProcessTest, AProtectedGameIsPlayedToItsEnd)
{
    const std::string bin = ProgramFolder();
    test::TempDir server, out;
    const std::string& dir = server.Path();
    test::RunTogether(
        bin, out,
        {{"host",
          "scrivo-host --protected --bots 1 --wait-players 2 --hands 8 --delay 10 --seed 6 --keep --cash "
          "2000 "
          "--policy call --key " +
              out.File("host.key"),
          dir},
         {"Cleo", "scrivo-client --name Cleo --seed 21 --delay 10 --key " + out.File("cleo.key"), dir},
         {"Dan", "scrivo-client --name Dan --seed 22 --delay 10 --policy call --key " + out.File("dan.key"),
          dir}},
        150);
    if (HasFailure()) return;
    test::ToolOutput host = test::ReadToolOutput(out.File("host.txt"));
    EXPECT_EQ(host.summary["conserved"], "yes");
    const std::string gameFolder = test::OnlyGameFolder(server.Path());
    EXPECT_EQ(test::SeatCashTotal(gameFolder, 4), Currency::FromWhole(8000));
    for (const std::string name : {"Cleo", "Dan"}) {
        test::ToolOutput seen = test::ReadToolOutput(out.File(name + ".txt"));
        EXPECT_EQ(seen.summary["hands"], host.summary["hands"]) << name;
        EXPECT_TRUE(std::filesystem::exists(out.File(std::string(name == "Cleo" ? "cleo" : "dan") + ".key")))
            << name;
    }
    EXPECT_GE(std::stol("0" + host.summary["hands"]), 1);
    EXPECT_EQ(host.summary["voided"], "0");
    EXPECT_FALSE(host.summary["deal_ms"].empty());
}

} // namespace
} // namespace scrivo

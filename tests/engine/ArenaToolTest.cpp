// The arena program: bot levels and reference styles at one table, short
// runs in every betting structure, the printed results checked together.
#include <cstdlib>
#include <map>
#include <sstream>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "platform/Currency.h"
#include "platform/Paths.h"
#include "testsupport/TempDir.h"

namespace scrivo {
namespace {

using Fields = std::map<std::string, std::string>;

// Each output line as its key=value fields.
std::vector<Fields> RunArena(const std::string& arguments)
{
    test::TempDir out;
    const std::string command = "timeout -s KILL 120 '" + JoinPath(ProgramFolder(), "scrivo-arena") + "' " +
                                arguments + " >'" + out.File("out.txt") + "'";
    EXPECT_EQ(std::system(command.c_str()), 0) << arguments;
    std::vector<Fields> lines;
    std::istringstream text(test::TempDir::Read(out.File("out.txt")));
    for (std::string line; std::getline(text, line);) {
        Fields fields;
        std::istringstream words(line);
        for (std::string word; words >> word;)
            if (const std::size_t eq = word.find('='); eq != std::string::npos)
                fields[word.substr(0, eq)] = word.substr(eq + 1);
        lines.push_back(fields);
    }
    return lines;
}

// The seats' levels are the list that ends the arguments.
struct ArenaCase {
    std::string name;
    std::string arguments;
    long hands;
    double bigBlind;
};

class ArenaToolTest : public ::testing::TestWithParam<ArenaCase> {};

TEST_P(ArenaToolTest, EverySeatPlaysEveryHandAndTheResultsAddUpToNothing)
{
    const ArenaCase& c = GetParam();
    std::vector<std::string> levels;
    std::istringstream seats(c.arguments.substr(c.arguments.find("--seats ") + 8));
    for (std::string level; std::getline(seats, level, ',');)
        levels.push_back(level);
    const std::vector<Fields> lines = RunArena(c.arguments);
    ASSERT_EQ(lines.size(), levels.size() + 1) << c.arguments;
    Currency sum;
    for (std::size_t k = 0; k < levels.size(); ++k) {
        const Fields& seat = lines[k];
        EXPECT_EQ(seat.at("seat"), std::to_string(k + 1));
        EXPECT_EQ(seat.at("level"), levels[k]);
        EXPECT_EQ(seat.at("hands"), std::to_string(c.hands));
        const Currency net = Currency::Parse(seat.at("net")).value_or(Currency::FromWhole(1));
        sum += net;
        EXPECT_NEAR(std::stod(seat.at("bb100")), net.ToDouble() / c.bigBlind * 100.0 / c.hands, 0.051);
    }
    EXPECT_EQ(sum, Currency()) << c.arguments;
    const Fields& summary = lines.back();
    EXPECT_EQ(summary.at("hands"), std::to_string(c.hands));
    EXPECT_EQ(summary.at("net_sum"), "0");
    EXPECT_EQ(summary.at("conserved"), "yes");
}

// Short stacks make seats go broke: they buy in again, and a game that ends
// with one seat holding everything is followed by another.
INSTANTIATE_TEST_SUITE_P(
    Structures, ArenaToolTest,
    ::testing::Values(
        ArenaCase{"Limit", "--hands 15 --seed 3 --type limit --seats strong,classic,classic,strong", 15, 10},
        ArenaCase{"PotLimitShortStacks",
                  "--hands 15 --seed 4 --type potlimit --blinds 1/2 --cash 30 --seats classic,strong,classic",
                  15, 2},
        ArenaCase{"NoLimitHeadsUpBusts", "--hands 25 --seed 5 --cash 15 --seats strong,classic", 25, 10},
        ArenaCase{"ReferenceStyles", "--hands 20 --seed 6 --seats strong,station,maniac,tag", 20, 10}),
    [](const ::testing::TestParamInfo<ArenaCase>& info) { return info.param.name; });

TEST(ArenaToolOptionsTest, RefusesWhatItCannotPlay)
{
    for (const std::string arguments :
         {"--hands 5 --seats strong", "--hands 5 --seats strong,expert", "--hands 0 --seats strong,classic",
          "--hands 5 --seats strong,classic --type fixed"}) {
        const std::string command =
            "'" + JoinPath(ProgramFolder(), "scrivo-arena") + "' " + arguments + " >/dev/null 2>&1";
        EXPECT_NE(std::system(command.c_str()), 0) << arguments;
    }
}

} // namespace
} // namespace scrivo

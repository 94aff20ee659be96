// Every input of the seed corpus through every fuzz target body, so that a
// crash once found and fixed stays fixed without libFuzzer.
#include <algorithm>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <ostream>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "fuzz/FuzzSupport.h"

namespace scrivo::fuzz {
namespace {

namespace fs = std::filesystem;

} // namespace

// Test names and failure messages show a target by its name.
void PrintTo(const Target& target, std::ostream* out)
{
    *out << target.name;
}

namespace {

class CorpusReplay : public ::testing::TestWithParam<Target> {};

TEST_P(CorpusReplay, EveryInputKeepsEveryProperty)
{
    const fs::path folder = fs::path(SCRIVO_FUZZ_CORPUS) / GetParam().name;
    std::vector<fs::path> inputs;
    for (const auto& entry : fs::directory_iterator(folder))
        if (entry.is_regular_file()) inputs.push_back(entry.path());
    std::sort(inputs.begin(), inputs.end());
    ASSERT_FALSE(inputs.empty()) << "no seed inputs in " << folder;
    for (const fs::path& input : inputs) {
        std::ifstream in(input, std::ios::binary);
        const std::string bytes{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
        try {
            GetParam().body(reinterpret_cast<const std::uint8_t*>(bytes.data()), bytes.size());
        } catch (const std::exception& e) {
            ADD_FAILURE() << input.filename() << ": " << e.what();
        }
    }
}

INSTANTIATE_TEST_SUITE_P(Targets, CorpusReplay, ::testing::ValuesIn(Targets()),
                         [](const ::testing::TestParamInfo<Target>& info) {
                             return std::string(info.param.name);
                         });

} // namespace
} // namespace scrivo::fuzz

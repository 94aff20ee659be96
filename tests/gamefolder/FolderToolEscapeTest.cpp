#include <cstdio>
#include <string>

#include <gtest/gtest.h>

#include "gamefolder/Records.h"
#include "testsupport/TempDir.h"

namespace scrivo {
namespace {

#ifdef SCRIVO_FOLDER_TOOL
std::string RunTool(const std::string& folder)
{
    FILE* tool = ::popen((std::string(SCRIVO_FOLDER_TOOL " ") + folder + " 2>&1").c_str(), "r");
    std::string out(1 << 16, '\0');
    out.resize(std::fread(out.data(), 1, out.size(), tool));
    ::pclose(tool);
    return out;
}

// A folder written by someone who wants to take over the terminal of whoever
// looks at it: escape sequences in the name, the status, a message line.
TEST(FolderTool, PrintsNoControlCharacterFromTheFolder)
{
    test::TempDir dir;
    GameRecord g;
    g.PlayerCount = 1;
    g.Status = GameStatus::FromText("\x1b]");
    g.GameName = "\x1b[2J\x1b]0;owned\x07";
    g.GameType = "THNL";
    g.CurrencySymbol = "\x7f";
    dir.Write("gam.spk", EncodeGameRecord(g));
    PlayerRecord seat = NewSeatRecord(2,
                                      "Ann\r\xc2\x9d"
                                      "31m",
                                      Currency::FromWhole(5)); // U+009D
    dir.Write("usr.spk", EncodePlayerRecord(NewBoardRecord()) + EncodePlayerRecord(seat));
    // Stored byte 0x9D decodes to the C1 control U+009D (operating system command).
    dir.Write("msg.spk", EncodeMessageRecord(MessageRecord{"m\x1b[31mred\x08\n"}) +
                             ScrambleText(std::string("m\x9d"
                                                      "0;x") +
                                              std::string(96, ' '),
                                          ScrambleWriteRotation));

    dir.Write("tbl.spk", "Rules=classic\nProtected=yes\n");

    const std::string out = RunTool(dir.Path());
    for (std::size_t i = 0; i < out.size(); ++i) {
        const auto c = static_cast<unsigned char>(out[i]);
        ASSERT_TRUE((c >= 0x20 && c != 0x7F) || c == '\n') << "byte " << int(c) << " at " << i << " in\n"
                                                           << out;
        if (c == 0xC2 && i + 1 < out.size()) {
            ASSERT_FALSE((static_cast<unsigned char>(out[i + 1]) & 0xE0) == 0x80) << "a C1 control in\n"
                                                                                  << out;
        }
    }
    for (const char* shown :
         {"\"\\x1b[2J\\x1b]0;owned\\x07\"", "Status          \"\\x1b]\"", "\"\\x7f\"",
          "\"Ann\\x0d\\u009d31m\"", "1: m\\x1b[31mred\\x08\\x0a", "2: m\\u009d0;x", "Protected       yes"})
        EXPECT_NE(out.find(shown), std::string::npos) << "missing " << shown << " in\n" << out;
}
#endif

} // namespace
} // namespace scrivo

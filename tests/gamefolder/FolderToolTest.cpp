#include <cstdio>
#include <gtest/gtest.h>
#include <string>
#include <sys/wait.h>

#include "gamefolder/CurrentGame.h"
#include "gamefolder/Directory.h"
#include "gamefolder/RecordFile.h"
#include "settings/Language.h"
#include "settings/Settings.h"
#include "testsupport/RecordingMessageBox.h"
#include "testsupport/TempDir.h"

namespace scrivo {
namespace {

#ifdef SCRIVO_FOLDER_TOOL
std::string RunTool(const std::string& folder, int& exitCode)
{
    const std::string command = std::string(SCRIVO_FOLDER_TOOL) + " '" + folder + "' 2>&1";
    FILE* pipe = ::popen(command.c_str(), "r");
    std::string out;
    char buf[4096];
    while (std::size_t n = std::fread(buf, 1, sizeof buf, pipe)) out.append(buf, n);
    exitCode = WEXITSTATUS(::pclose(pipe));
    return out;
}

TEST(FolderTool, PrintsEveryRecordOfAGameFolderMadeByTheCode)
{
    test::TempDir server;
    test::RecordingMessageBox boxes;
    ServerDirectory = server.Path() + "/";
    LastPlayer = "Zoë";
    BotNames[1] = "Robo";
    CreateRequest request;
    request.gameName = "Tool table";
    request.startCash = "75.5";
    request.smallBlind = "0.25";
    request.bigBlind = "0.5";
    request.currency = "£";
    request.bots = "1";
    BotCounter bots;
    ASSERT_TRUE(CreateGame(request, bots));
    ASSERT_TRUE(SendPlayerMessage(GameFolder, "pZoë joined"));
    ASSERT_TRUE(SendPlayerMessage(GameFolder, "1c2_12,0_4"));
    ASSERT_TRUE(WriteGameRecord(GameFolder, "P2", true));
    // Half a record appended elsewhere is pointed out, not shown.
    const std::string msg = test::TempDir::Read(MessageFilePath(GameFolder)) + std::string(30, 'q');
    FILE* f = std::fopen(MessageFilePath(GameFolder).c_str(), "wb");
    std::fwrite(msg.data(), 1, msg.size(), f);
    std::fclose(f);

    int code = -1;
    const std::string out = RunTool(GameFolder, code);
    EXPECT_EQ(code, 0) << out;
    for (const char* expected :
         {"PlayerCount     2\n", "BotCount        1\n", "Status          \"P2\"\n",
          "GameName        \"Tool table\"\n", "GameType        \"THNL\"\n", "StartCash       75.5\n",
          "SmallBlind      0.25\n", "BigBlind        0.5\n", "CurrencySymbol  \"£\"\n",
          "Player records (", "): 3\n", "record 1 (board)\n", "Name      \"Cheats Beware!\"\n",
          "Action    <zero>\n", "record 2 (player 1)\n", "Name      \"Zoë\"\n", "Cash      75.5\n",
          "record 3 (player 2)\n", "Name      \"Robo\"\n", "Cards     \"\" \"\" <zero> <zero> <zero>\n",
          "Messages (", "): 2\n", "  1: pZoë joined\n", "  2: 1c2_12,0_4\n",
          "(30 bytes after the last whole record, not read)"})
        EXPECT_NE(out.find(expected), std::string::npos) << "missing " << expected << " in\n" << out;
}

TEST(FolderTool, SaysWhatIsMissing)
{
    test::TempDir folder;
    int code = -1;
    const std::string out = RunTool(folder.Path(), code);
    EXPECT_NE(code, 0);
    EXPECT_NE(out.find("not there"), std::string::npos) << out;
    EXPECT_FALSE(folder.Path().empty());
    RunTool(folder.File("nothing"), code);
    EXPECT_EQ(code, 2);
}
#endif

} // namespace
} // namespace scrivo

// Two accounts at one game: the files and folder a player makes are as open
// as the server directory, whatever his umask.
#include <filesystem>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include "gamefolder/Directory.h"
#include "gamefolder/RecordFile.h"
#include "platform/Paths.h"
#include "testsupport/TempDir.h"

namespace scrivo {
namespace {

constexpr uid_t Nobody = 65534;

// Runs work as the account nobody with the usual umask; its exit status.
template <typename Work> int AsNobody(Work work)
{
    const pid_t child = ::fork();
    if (child == 0) {
        ::umask(022);
        if (::setgid(Nobody) != 0 || ::setuid(Nobody) != 0) ::_exit(90);
        ::_exit(work() ? 0 : 1);
    }
    int status = 0;
    ::waitpid(child, &status, 0);
    return WIFEXITED(status) ? WEXITSTATUS(status) : 99;
}

TEST(Accounts, TwoUserIdsPlayInAFolderEveryoneMayWrite)
{
    if (::geteuid() != 0) GTEST_SKIP() << "needs root to act as a second account";
    test::TempDir dir;
    const std::string server = dir.Path();
    ASSERT_EQ(::chmod(server.c_str(), 01777), 0);
    const mode_t old = ::umask(022);
    const CreateRequest request{"T", "50", "1", "2", "$", "0", 2};
    FolderResult<GameSession> made = CreateGame(server, request, "Ann");
    ::umask(old);
    ASSERT_TRUE(made) << made.status.description;
    const std::string folder = made->GameFolder;
    const std::string id = std::filesystem::path(folder).filename().string();

    // The second account joins, talks and makes the files still missing.
    EXPECT_EQ(AsNobody([&] {
                  return JoinGame(server, id, "Bob").outcome == JoinOutcome::Joined &&
                         SendPlayerMessage(folder, "mBob: hello").Ok() &&
                         WritePlayerRecord(folder, "C", 2).Ok();
              }),
              0);
    // A game the second account creates can be used by any third.
    std::string second;
    EXPECT_EQ(AsNobody([&] {
                  FolderResult<GameSession> g = CreateGame(server, request, "Bob");
                  return g.Ok() && SendPlayerMessage(g->GameFolder, "mBob: mine").Ok();
              }),
              0);
    for (const auto& game : std::filesystem::directory_iterator(server)) {
        struct stat st {};
        ASSERT_EQ(::stat(game.path().c_str(), &st), 0);
        EXPECT_EQ(st.st_mode & 07777, 0777u) << game.path();
        for (const auto& file : std::filesystem::directory_iterator(game.path())) {
            ASSERT_EQ(::stat(file.path().c_str(), &st), 0);
            EXPECT_EQ(st.st_mode & 0777, 0666u) << file.path();
        }
    }
}

} // namespace
} // namespace scrivo

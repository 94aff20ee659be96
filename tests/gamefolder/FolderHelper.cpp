// A second client for the tests that need real processes. It waits for a
// byte (or the end) of its standard input before it starts, so that a test
// can start several at the same moment.
//
//   hold <file> <n>               lock the file, write n bytes after its end,
//                                 make <file>.held, and keep the lock until
//                                 standard input has a byte or ends; then die
//                                 by SIGKILL if n > 0 (in the middle of an
//                                 append), else exit
//   append <folder> <count> <tag> append lines "<tag>:<i>"
//   join <server dir> <id> <name> join; exits with the player number, 66
//                                 for a full table, or 1
#include <csignal>
#include <fstream>
#include <string>
#include <unistd.h>

#include "gamefolder/Directory.h"

using namespace scrivo;

int main(int argc, char** argv)
{
    const std::string mode = argc > 1 ? argv[1] : "";
    char start;
    if (mode == "hold" && argc == 4) {
        LockedFile file;
        const std::string tail(std::stoul(argv[3]), 'x');
        if (file.TryOpen(argv[2]) != LockedFile::OpenStatus::Ok) return 2;
        if (!file.WriteAt(file.Size(), tail.data(), tail.size())) return 2;
        std::ofstream{std::string(argv[2]) + ".held"};
        if (::read(0, &start, 1) >= 0 && !tail.empty()) ::raise(SIGKILL);
        return 0;
    }
    if (argc != 5 || ::read(0, &start, 1) < 0) return 100;
    for (int i = 0; mode == "append" && i < std::stoi(argv[3]); ++i)
        if (!SendPlayerMessage(argv[2], std::string(argv[4]) + ":" + std::to_string(i))) return 1;
    if (mode == "append") return 0;
    const JoinResult joined = JoinGame(argv[2], argv[3], argv[4]);
    if (joined.outcome == JoinOutcome::Joined) return joined.session.MyPlayerNo;
    return joined.outcome == JoinOutcome::Full ? 66 : 1;
}

// A second client for the tests that need real processes. It waits for a
// byte on standard input before it starts, so that a test can start several
// at the same moment.
//
//   hold <file>                   lock the file, print "held", keep it until
//                                 standard input has a byte or closes
//   torn <folder>                 lock msg.spk, leave half a record at its end,
//                                 print "held" and wait to be killed
//   append <folder> <count> <tag> append lines "<tag>:<i>" after "go"
//   join <server dir> <id> <name> join after "go"; prints the player number,
//                                 exits with the refusing caption (0 = joined)
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <thread>
#include <unistd.h>

#include "gamefolder/CurrentGame.h"
#include "gamefolder/Directory.h"
#include "gamefolder/RecordFile.h"
#include "platform/Clock.h"
#include "platform/LockedFile.h"
#include "platform/MessageBox.h"
#include "settings/Language.h"
#include "settings/Settings.h"

namespace {

using namespace scrivo;

// The one-second wait shortened to a millisecond, so that eight busy
// clients finish in moments; the protocol is the same.
class QuickClock final : public Clock {
public:
    TimePoint Now() override { return std::chrono::steady_clock::now(); }
    void SleepFor(std::chrono::milliseconds ms) override
    {
        std::this_thread::sleep_for(ms / 1000 + std::chrono::microseconds(200));
    }
};

// Refusals are the exit code; nothing to show.
class SilentBoxes final : public MessageBoxService {
public:
    MsgAnswer Show(const MessageBoxRequest&) override { return MsgAnswer::Cancel; }
};

void WaitForByte()
{
    char c;
    while (::read(0, &c, 1) < 0) {}
}

void Say(const std::string& line)
{
    std::printf("%s\n", line.c_str());
    std::fflush(stdout);
}

int Hold(const std::string& path)
{
    LockedFile file;
    while (file.TryOpen(path) != LockedFile::OpenStatus::Ok) std::this_thread::sleep_for(std::chrono::milliseconds(1));
    Say("held");
    WaitForByte();
    return 0;
}

int Torn(const std::string& folder)
{
    LockedFile file;
    const std::string path = MessageFilePath(folder);
    while (file.TryOpen(path) != LockedFile::OpenStatus::Ok) std::this_thread::sleep_for(std::chrono::milliseconds(1));
    const std::int64_t size = file.Size();
    const std::string half(MessageRecordLength / 2, 'x');
    if (!file.WriteAt(size - size % MessageRecordLength, half.data(), half.size())) return 2;
    Say("held");
    for (;;) ::pause();
}

int Append(const std::string& folder, int count, const std::string& tag)
{
    WaitForByte();
    for (int i = 0; i < count; ++i) {
        if (!SendPlayerMessage(folder, tag + ":" + std::to_string(i))) return 1;
    }
    return 0;
}

int Join(const std::string& serverDirectory, const std::string& id, const std::string& name)
{
    ServerDirectory = serverDirectory;
    LastPlayer = name;
    for (int caption = 61; caption <= 69; ++caption) AppText[caption] = "caption " + std::to_string(caption);
    WaitForByte();
    const BrowserOutcome outcome = JoinGame(id);
    if (outcome.caption != 0) return outcome.caption;
    if (!outcome.openTable) return 1;
    Say(std::to_string(MyPlayerNo));
    return 0;
}

} // namespace

int main(int argc, char** argv)
{
    static QuickClock clock;
    SetProgramClock(&clock);
    static SilentBoxes boxes;
    SetMessageBoxService(&boxes);
    const std::string mode = argc > 1 ? argv[1] : "";
    if (mode == "hold" && argc == 3) return Hold(argv[2]);
    if (mode == "torn" && argc == 3) return Torn(argv[2]);
    if (mode == "append" && argc == 5) return Append(argv[2], std::atoi(argv[3]), argv[4]);
    if (mode == "join" && argc == 5) return Join(argv[2], argv[3], argv[4]);
    std::fprintf(stderr, "usage: scrivo_folder_helper hold|torn|append|join ...\n");
    return 100;
}

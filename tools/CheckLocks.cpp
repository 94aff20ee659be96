#include "tools/CheckLocks.h"

#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <poll.h>
#include <signal.h>
#include <sstream>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

#include "platform/LockedFile.h"
#include "platform/Paths.h"
#include "platform/Random.h"

namespace scrivo::tool {

namespace {

// The mount a path lies on, from /proc/self/mountinfo.
struct Mount {
    std::string point, type, source, options;
};

Mount MountOf(const std::string& path)
{
    Mount best;
    char resolved[PATH_MAX];
    if (!::realpath(path.c_str(), resolved)) return best;
    const std::string real = resolved;
    std::ifstream in("/proc/self/mountinfo");
    for (std::string line; std::getline(in, line);) {
        // id parent major:minor root point options [optional...] - type source superoptions
        std::istringstream fields(line);
        std::string id, parent, dev, root, point, options, word;
        fields >> id >> parent >> dev >> root >> point >> options;
        while (fields >> word && word != "-") {
        }
        Mount m;
        std::string super;
        fields >> m.type >> m.source >> super;
        m.point = point;
        m.options = options + "," + super;
        const bool inside = real == point || point == "/" ||
                            (real.compare(0, point.size(), point) == 0 && real[point.size()] == '/');
        if (inside && point.size() >= best.point.size()) best = m; // later mounts hide earlier ones
    }
    return best;
}

bool HasOption(const std::string& options, const std::string& option)
{
    return ("," + options + ",").find("," + option + ",") != std::string::npos;
}

// What a mount's options say about its locks, or nothing.
std::string LockWarning(const Mount& m)
{
    if ((m.type == "cifs" || m.type == "smb3") && HasOption(m.options, "nobrl"))
        return "mounted with nobrl: locks stay on this machine, other machines never see them";
    if (m.type.rfind("nfs", 0) == 0 &&
        (HasOption(m.options, "nolock") || HasOption(m.options, "local_lock=all") ||
         HasOption(m.options, "local_lock=posix")))
        return "mounted with local locks (nolock or local_lock): other machines never see them";
    if (m.type.rfind("fuse", 0) == 0)
        return "a FUSE file system: its locks reach other machines only if it forwards them";
    return {};
}

// One byte each way between the two processes, with a time limit so that a
// share that hangs ends the check instead of the user's patience.
bool Send(int fd, char c)
{
    return ::write(fd, &c, 1) == 1;
}

int Receive(int fd)
{
    pollfd p{fd, POLLIN, 0};
    if (::poll(&p, 1, 20000) != 1) return -1;
    char c;
    return ::read(fd, &c, 1) == 1 ? c : -1;
}

// 'h' held, 'o' got it, 'f' failed.
char Try(LockedFile& file, const std::string& path)
{
    switch (file.TryOpen(path)) {
    case LockedFile::OpenStatus::Ok:
        return 'o';
    case LockedFile::OpenStatus::Held:
        return 'h';
    case LockedFile::OpenStatus::Failed:
        break;
    }
    return 'f';
}

bool WriteToken(LockedFile& file, const std::string& token)
{
    return file.WriteAt(0, token.data(), token.size());
}

bool HasToken(LockedFile& file, const std::string& token)
{
    std::string seen(token.size(), '\0');
    return file.ReadAt(0, seen.data(), seen.size()) == static_cast<long long>(seen.size()) && seen == token;
}

// The second process: answers each step with what it saw.
[[noreturn]] void Peer(const std::string& path, const std::string& firstToken, const std::string& ownToken,
                       int in, int out)
{
    LockedFile file;
    char r = 'f';
    if (Receive(in) == '1') r = Try(file, path); // the first holds it now
    file.Close();
    Send(out, r);
    if (Receive(in) == '2') { // the first let go
        r = Try(file, path);
        if (r == 'o') r = HasToken(file, firstToken) && WriteToken(file, ownToken) ? 'o' : 's';
        Send(out, r);
    }
    if (Receive(in) == '3') file.Close(); // the first tried while we held it
    Send(out, 'x');
    ::_exit(0);
}

std::string Describe(char r, const char* wanted)
{
    switch (r) {
    case 'h':
        return std::string("held") + (wanted[0] == 'h' ? "" : "  <- wrong");
    case 'o':
        return std::string("got it") + (wanted[0] == 'o' ? "" : "  <- wrong: the locks do not meet");
    case 's':
        return "got it, but did not see the other's data  <- wrong";
    default:
        return "failed  <- could not be checked";
    }
}

} // namespace

int CheckLocks(const std::string& dir, const std::string& otherView)
{
    const std::string other = otherView.empty() ? dir : otherView;
    for (const std::string& d : {dir, other})
        if (!IsDirectory(d)) {
            std::fprintf(stderr, "scrivo-folder: %s is not a folder\n", d.c_str());
            return 2;
        }
    ProgramRandom().Randomize();
    const std::string name = ".scrivo-lock-check-" + std::to_string(::getpid()) + "-" +
                             std::to_string(ProgramRandom().NextU64() % 1000000);
    const std::string path = JoinPath(dir, name), otherPath = JoinPath(other, name);
    const std::string firstToken = "first " + name, secondToken = "second " + name;

    for (const std::string& d :
         otherView.empty() ? std::vector<std::string>{dir} : std::vector<std::string>{dir, other}) {
        const Mount m = MountOf(d);
        std::printf("%s: %s on %s (%s)\n", d.c_str(), m.type.c_str(), m.source.c_str(), m.options.c_str());
        if (const std::string w = LockWarning(m); !w.empty()) std::printf("  warning: %s\n", w.c_str());
    }
    std::fflush(stdout);

    int toPeer[2], fromPeer[2];
    if (::pipe(toPeer) != 0 || ::pipe(fromPeer) != 0) return 2;
    const pid_t pid = ::fork(); // before any lock is taken
    if (pid < 0) return 2;
    if (pid == 0) {
        ::close(toPeer[1]);
        ::close(fromPeer[0]);
        Peer(otherPath, firstToken, secondToken, toPeer[0], fromPeer[1]);
    }
    ::close(toPeer[0]);
    ::close(fromPeer[1]);
    const int out = toPeer[1], in = fromPeer[0];

    LockedFile file;
    const char mine = Try(file, path);
    if (mine != 'o' || !WriteToken(file, firstToken)) {
        std::printf("cannot make a scratch file in %s: %s\n", dir.c_str(), file.ErrorText().c_str());
        ::kill(pid, SIGKILL);
        ::waitpid(pid, nullptr, 0);
        return 2;
    }
    Send(out, '1');
    const int whileFirstHolds = Receive(in);
    file.Close();
    Send(out, '2');
    const int afterFirstLetGo = Receive(in);
    const char whileSecondHolds = afterFirstLetGo == 'o' ? Try(file, path) : 'f';
    file.Close();
    Send(out, '3');
    const bool peerDone = Receive(in) == 'x';
    const char afterSecondLetGo = Try(file, path);
    const bool seesSecond = afterSecondLetGo == 'o' && HasToken(file, secondToken);
    file.Close();
    ::unlink(path.c_str());
    if (!peerDone) ::kill(pid, SIGKILL);
    ::waitpid(pid, nullptr, 0);

    const auto r = [](int c) { return c < 0 ? 'f' : static_cast<char>(c); };
    std::printf("  first holds, second tries:     %s\n", Describe(r(whileFirstHolds), "h").c_str());
    std::printf("  first let go, second tries:    %s\n", Describe(r(afterFirstLetGo), "o").c_str());
    std::printf("  second holds, first tries:     %s\n", Describe(whileSecondHolds, "h").c_str());
    std::printf("  second let go, first tries:    %s\n",
                Describe(afterSecondLetGo == 'o' && !seesSecond ? 's' : afterSecondLetGo, "o").c_str());
    const bool excluded = whileFirstHolds == 'h' && whileSecondHolds == 'h';
    const bool passed = excluded && afterFirstLetGo == 'o' && seesSecond;
    std::printf("locks %s\n",
                passed     ? "work: the two processes exclude each other and see each other's writes"
                : excluded ? "exclude each other, but the file could not be shared"
                           : "do NOT exclude each other: games on this folder will lose and tear records");
    return passed ? 0 : 1;
}

} // namespace scrivo::tool

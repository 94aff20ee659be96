#include "platform/Paths.h"

#include <cerrno>
#include <cstdlib>
#include <unistd.h>

#include "platform/FileOps.h"
#include "platform/Services.h"

namespace scrivo {

namespace {

// Every missing folder of path, outermost first; false when one cannot be made.
bool MakeFolders(const std::string& path)
{
    FileOps& ops = CurrentFileOps();
    for (std::size_t end = path.find(PathSeparator, 1);; end = path.find(PathSeparator, end + 1)) {
        const std::string folder = path.substr(0, end);
        if (!folder.empty() && ops.MakeFolder(folder, 0777) != 0 && errno != EEXIST) return false;
        if (end == std::string::npos) return true;
    }
}

} // namespace

std::string ProgramFolder()
{
    return Services().ProgramFolder();
}

void SetProgramFolder(const std::string& folder)
{
    Services().SetProgramFolder(folder);
}

std::string SettingsFolder()
{
    const std::string program = ProgramFolder();
    if (CurrentFileOps().Access(program, W_OK) == 0) return program;
    std::string base;
    if (const char* xdg = std::getenv("XDG_CONFIG_HOME"); xdg && *xdg) {
        base = xdg;
    } else if (const char* home = std::getenv("HOME"); home && *home) {
        base = JoinPath(home, ".config");
    } else {
        return program;
    }
    const std::string folder = JoinPath(base, "scrivo-poker");
    // A folder that cannot be made shows when the settings are written.
    MakeFolders(folder);
    return folder;
}

bool FolderExists(const std::string& path)
{
    return !path.empty() && CurrentFileOps().Access(path, F_OK) == 0;
}

bool IsDirectory(const std::string& path)
{
    FileStat st;
    return !path.empty() && CurrentFileOps().Stat(path, st) == 0 && st.IsDirectory();
}

std::string JoinPath(const std::string& a, const std::string& b)
{
    if (a.empty()) return b;
    if (a.back() == PathSeparator) return a + b;
    return a + PathSeparator + b;
}

} // namespace scrivo

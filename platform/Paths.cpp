#include "platform/Paths.h"

#include <cstdlib>
#include <sys/stat.h>
#include <system_error>
#include <unistd.h>
#include <filesystem>

namespace scrivo {

namespace {
std::string g_programFolder;

std::string ExecutableFolder()
{
    std::error_code ec;
    auto exe = std::filesystem::read_symlink("/proc/self/exe", ec);
    if (ec) return std::filesystem::current_path(ec).string();
    return exe.parent_path().string();
}
} // namespace

std::string ProgramFolder()
{
    if (g_programFolder.empty()) g_programFolder = ExecutableFolder();
    return g_programFolder;
}

void SetProgramFolder(const std::string& folder)
{
    g_programFolder = folder;
    while (g_programFolder.size() > 1 && g_programFolder.back() == PathSeparator)
        g_programFolder.pop_back();
}

std::string SettingsFolder()
{
    const std::string program = ProgramFolder();
    if (::access(program.c_str(), W_OK) == 0) return program;
    std::string base;
    if (const char* xdg = std::getenv("XDG_CONFIG_HOME"); xdg && *xdg) {
        base = xdg;
    } else if (const char* home = std::getenv("HOME"); home && *home) {
        base = JoinPath(home, ".config");
    } else {
        return program;
    }
    const std::string folder = JoinPath(base, "scrivo-poker");
    std::error_code ec;
    std::filesystem::create_directories(folder, ec);
    return folder;
}

bool FolderExists(const std::string& path)
{
    if (path.empty()) return false;
    struct stat st {};
    return ::stat(path.c_str(), &st) == 0;
}

bool IsDirectory(const std::string& path)
{
    struct stat st {};
    return !path.empty() && ::stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

std::string JoinPath(const std::string& a, const std::string& b)
{
    if (a.empty()) return b;
    if (a.back() == PathSeparator) return a + b;
    return a + PathSeparator + b;
}

} // namespace scrivo

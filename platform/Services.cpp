#include "platform/Services.h"

#include <filesystem>
#include <system_error>
#include <unistd.h>

namespace scrivo {

namespace {

std::string ExecutableFolder()
{
    std::error_code ec;
    auto exe = std::filesystem::read_symlink("/proc/self/exe", ec);
    if (ec) return std::filesystem::current_path(ec).string();
    return exe.parent_path().string();
}

} // namespace

void HeldFiles::ForgetParentsFiles()
{
    const long pid = ::getpid();
    if (m_pid != pid) {
        m_files.clear();
        m_pid = pid;
    }
}

void HeldFiles::Add(std::uint64_t device, std::uint64_t inode)
{
    std::lock_guard lock(m_mutex);
    ForgetParentsFiles();
    m_files.insert({device, inode});
}

void HeldFiles::Remove(std::uint64_t device, std::uint64_t inode)
{
    std::lock_guard lock(m_mutex);
    m_files.erase({device, inode});
}

bool HeldFiles::Holds(std::uint64_t device, std::uint64_t inode)
{
    std::lock_guard lock(m_mutex);
    ForgetParentsFiles();
    return m_files.count({device, inode}) > 0;
}

ProcessServices::ProcessServices() : m_generator(EntropySeed()), m_programFolder(ExecutableFolder()) {}

void ProcessServices::Reset()
{
    SetClock(nullptr);
    SetMessageBoxes(nullptr);
    SetShell(nullptr);
    ExchangeFileOps(nullptr);
    m_generator = Random(EntropySeed());
    SetProgramFolder({});
}

void ProcessServices::SetClock(Clock* clock)
{
    m_clock = clock ? clock : &m_steadyClock;
}

void ProcessServices::SetMessageBoxes(MessageBoxService* service)
{
    m_messageBoxes = service ? service : &m_stderrBoxes;
}

void ProcessServices::SetShell(ShellService* service)
{
    m_shell = service ? service : &m_xdgOpen;
}

FileOps* ProcessServices::ExchangeFileOps(FileOps* ops)
{
    return m_fileOps.exchange(ops ? ops : &m_posix);
}

void ProcessServices::SetProgramFolder(const std::string& folder)
{
    m_programFolder = folder.empty() ? ExecutableFolder() : folder;
    while (m_programFolder.size() > 1 && m_programFolder.back() == '/')
        m_programFolder.pop_back();
}

ProcessServices& Services()
{
    // The one mutable object of the core that outlives a call (see the
    // globals check in tests/CMakeLists.txt). Never destroyed, so that
    // whatever runs at exit still finds its clock and file operations.
    static ProcessServices& services = *new ProcessServices;
    return services;
}

} // namespace scrivo
